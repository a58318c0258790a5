# Fails when a function of ours is named like a Win32 A/W function.
#
#   cmake -DROOTS=<dir or file>[|...] [-DEXCLUDE=<regex>] -P CheckWin32MacroNames.cmake
#
# <windows.h> defines MessageBox as MessageBoxA (and so on for every function
# with an ANSI and a wide form). A member named MessageBox is silently renamed
# MessageBoxA on Windows, and then an unqualified MessageBoxA(...) in its body
# calls the member itself, forever. Name such members for what they do and call
# the platform as ::MessageBoxA.
#
# Reported: a declaration or definition ("int MessageBox(", "T::MessageBoxA(")
# and a call through an object ("Port.MessageBox(", "Port->MessageBoxW(").
# Calls of the platform itself ("MessageBoxA(...)", "::MessageBoxA(...)") pass.

set(Win32Names
  AppendMenu CallWindowProc CharLower CharUpper CopyFile CreateDC CreateDialogParam
  CreateDirectory CreateEvent CreateFile CreateFont CreateFontIndirect CreateMutex
  CreateProcess CreateWindow CreateWindowEx DefWindowProc DeleteFile DialogBoxParam
  DispatchMessage DrawText DrawTextEx ExpandEnvironmentStrings FindFirstFile FindNextFile
  FindWindow FindWindowEx FormatMessage GetClassLongPtr GetClassName GetComputerName
  GetCurrentDirectory GetDlgItemText GetEnvironmentVariable GetFileAttributes GetMessage
  GetModuleFileName GetModuleHandle GetMonitorInfo GetObject GetOpenFileName GetProp
  GetSaveFileName GetTempFileName GetTempPath GetTextExtentPoint32 GetTextMetrics
  GetUserName GetVersionEx GetWindowLong GetWindowLongPtr GetWindowText
  GetWindowTextLength InsertMenu IsDialogMessage LoadAccelerators LoadBitmap LoadCursor
  LoadIcon LoadImage LoadLibrary LoadMenu LoadString MessageBox ModifyMenu MoveFile
  MoveFileEx OutputDebugString PeekMessage PostMessage RegCreateKeyEx RegDeleteKey
  RegDeleteValue RegisterClass RegisterClassEx RegOpenKeyEx RegQueryValueEx RegSetValueEx
  RemoveDirectory RemoveProp SendMessage SetCurrentDirectory SetDlgItemText
  SetEnvironmentVariable SetFileAttributes SetProp SetWindowLong SetWindowLongPtr
  SetWindowText ShellExecute ShellExecuteEx TextOut TranslateAccelerator)

if(NOT ROOTS)
  message(FATAL_ERROR "usage: cmake -DROOTS=<dir or file>[|...] -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
string(REPLACE "|" ";" ROOTS "${ROOTS}")

set(Files)
foreach(Root IN LISTS ROOTS)
  if(IS_DIRECTORY "${Root}")
    file(GLOB_RECURSE Found "${Root}/*.h" "${Root}/*.hpp" "${Root}/*.cpp")
    list(APPEND Files ${Found})
  elseif(EXISTS "${Root}")
    list(APPEND Files "${Root}")
  else()
    message(FATAL_ERROR "no such file or folder: ${Root}")
  endif()
endforeach()
if(EXCLUDE)
  list(FILTER Files EXCLUDE REGEX "${EXCLUDE}")
endif()

list(JOIN Win32Names "|" Alternatives)
set(Name "((${Alternatives})[AW]?)")
# A type (or a qualified name) then the name: a declaration or a definition.
# "return F(" and friends read like one, so those words are left out below.
set(DeclarePattern "(^|[^A-Za-z0-9_:])([A-Za-z_][A-Za-z0-9_]*[>*&]*[ \t]+[*&]?|[A-Za-z_][A-Za-z0-9_]*::)${Name}[ \t]*\\(")
set(CallPattern "(\\.|->)[ \t]*${Name}[ \t]*\\(")
set(NotTypes "^(return|else|case|co_return|co_yield|throw|new|delete|do|goto|sizeof)$")

set(Findings)
foreach(File IN LISTS Files)
  # One list item a line: the characters that would split or join list items
  # differently (";", "[", "]", "\\") never take part in a match.
  file(READ "${File}" Content)
  string(REGEX REPLACE "[][;\\]" " " Content "${Content}")
  string(REPLACE "\n" ";" Lines "${Content}")
  set(LineNumber 0)
  foreach(Line IN LISTS Lines)
    math(EXPR LineNumber "${LineNumber} + 1")
    # Comments name the platform's functions freely.
    string(REGEX REPLACE "//.*$" "" Code "${Line}")
    if(Code MATCHES "${CallPattern}")
      list(APPEND Findings "${File}:${LineNumber}: call of a member named ${CMAKE_MATCH_2}")
      continue()
    endif()
    set(Rest "${Code}")
    while(Rest MATCHES "${DeclarePattern}")
      set(Before "${CMAKE_MATCH_2}")
      set(Found "${CMAKE_MATCH_3}")
      string(REGEX REPLACE "[>*& \t]+$" "" Word "${Before}")
      if(NOT Word MATCHES "${NotTypes}")
        list(APPEND Findings "${File}:${LineNumber}: function named ${Found}")
        break()
      endif()
      # Look past this match for another on the same line.
      string(FIND "${Rest}" "${Before}" At)
      string(LENGTH "${Before}" Skip)
      math(EXPR At "${At} + ${Skip}")
      string(SUBSTRING "${Rest}" ${At} -1 Rest)
    endwhile()
  endforeach()
endforeach()

if(Findings)
  list(LENGTH Findings Count)
  foreach(Finding IN LISTS Findings)
    message("${Finding}")
  endforeach()
  message(FATAL_ERROR "${Count} function(s) named like a Win32 A/W function: <windows.h> "
                      "renames them. Name them for what they do.")
endif()
list(LENGTH Files Count)
message(STATUS "${Count} files, no function named like a Win32 A/W function")
