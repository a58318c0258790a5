// The platform's sockets as the local test server uses them
// (TestSocket_posix.cpp / _win32.cpp).
#pragma once

#include "tests/update/http/TestHttpServer.h"

#include <cstddef>
#include <cstdint>

inline constexpr TTestSocket NoTestSocket = -1;

// A socket listening on 127.0.0.1 at a port the system picks; throws
// std::runtime_error.
TTestSocket ListenOnLoopback(std::uint16_t& Port);
// A waiting client, or NoTestSocket.
TTestSocket AcceptClient(TTestSocket Listener);
void CloseTestSocket(TTestSocket Socket);
// Tells the peer that nothing more comes.
void EndSending(TTestSocket Socket);
void MakeNonBlocking(TTestSocket Socket);
// True when the socket can be read (or written) within Ms milliseconds.
bool WaitSocketReady(TTestSocket Socket, bool ForWrite, int Ms);
// Bytes moved, 0 when the peer closed, or negative: then LastCallWouldBlock
// tells a wait to try again from a failure.
int SendSome(TTestSocket Socket, const char* Data, std::size_t Size);
int ReceiveSome(TTestSocket Socket, char* Data, std::size_t Size);
bool LastCallWouldBlock();
