// The TLS availability rules through a fake library opener, the fall-back of
// https addresses, URL encoding, and the platform's own loader.
#include "update/OpenSslLoader.h"
#include "update/U_HTTP_Custo.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

unsigned long Version111() {
    return 0x1010117FUL;
}
unsigned long Version110() {
    return 0x1010007FUL;
}
unsigned long Version3() {
    return 0x30000020UL;
}
unsigned long Version4() {
    return 0x40000000UL;
}
const char* VersionText(int) {
    return "OpenSSL 3.0.2 15 Mar 2022";
}

// Libraries by name: which exist, their version function, and which of
// their entry points are missing.
struct TFakeSystem {
    std::map<std::string, unsigned long (*)()> Versions; // crypto libraries
    std::set<std::string> SslPresent;
    std::set<std::string> Missing;
    std::vector<std::string> Opened;
    int Closed = 0;
    std::map<void*, std::string> Handles;
    int Storage[16] = {};

    TLibraryOpener Opener() {
        return {
            [this](const std::string& Name) -> void* {
                Opened.push_back(Name);
                if (!Versions.count(Name) && !SslPresent.count(Name))
                    return nullptr;
                void* Handle = &Storage[Handles.size()];
                Handles[Handle] = Name;
                return Handle;
            },
            [this](void* Library, const char* Symbol) -> void* {
                const std::string Name = Symbol;
                if (Missing.count(Name))
                    return nullptr;
                if (Name == "OpenSSL_version_num") {
                    auto It = Versions.find(Handles[Library]);
                    return It == Versions.end() || !It->second
                               ? nullptr
                               : reinterpret_cast<void*>(It->second);
                }
                if (Name == "OpenSSL_version")
                    return reinterpret_cast<void*>(&VersionText);
                return &Storage[15]; // present, never called here
            },
            [this](void*) { ++Closed; },
        };
    }
};

const std::vector<TOpenSslNames> Names = {{"crypto3", "ssl3"}, {"crypto11", "ssl11"}};

struct TLoaderCase {
    const char* Name;
    std::map<std::string, unsigned long (*)()> Versions;
    std::set<std::string> SslPresent;
    std::set<std::string> Missing;
    bool Available;
    int ClosedAfterFirstCall;
    bool TriesAgain;
};

TEST(OpenSslLoader, AcceptsOnly111To3xWithAllEntryPointsAndRetriesOnlyWhatNeverLoaded) {
    const TLoaderCase Cases[] = {
        {"nothing loadable", {}, {}, {}, false, 0, true},
        {"3.x", {{"crypto3", Version3}}, {"ssl3"}, {}, true, 0, false},
        {"1.1.1 second", {{"crypto11", Version111}}, {"ssl11"}, {}, true, 0, false},
        {"1.1.0 refused", {{"crypto11", Version110}}, {"ssl11"}, {}, false, 1, true},
        {"4.0 refused, 1.1.1 taken",
         {{"crypto3", Version4}, {"crypto11", Version111}},
         {"ssl11"},
         {},
         true,
         1,
         false},
        {"no version function", {{"crypto3", nullptr}}, {"ssl3"}, {}, false, 1, true},
        {"libssl missing", {{"crypto3", Version3}}, {}, {}, false, 0, false},
        {"entry point missing",
         {{"crypto3", Version3}},
         {"ssl3"},
         {"SSL_set1_host"},
         false,
         0,
         false},
    };
    for (const TLoaderCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TFakeSystem System;
        System.Versions = C.Versions;
        System.SslPresent = C.SslPresent;
        System.Missing = C.Missing;
        {
            TOpenSslLoader Loader(System.Opener(), Names, [] { return true; });
            EXPECT_EQ(Loader.IsAvailable(), C.Available);
            EXPECT_EQ(System.Closed, C.ClosedAfterFirstCall);
            const std::size_t OpensAfterFirst = System.Opened.size();
            EXPECT_EQ(Loader.IsAvailable(), C.Available);
            EXPECT_EQ(System.Opened.size() > OpensAfterFirst, C.TriesAgain);
            EXPECT_EQ(Loader.VersionText(),
                      C.Available ? "OpenSSL 3.0.2 15 Mar 2022" : "Not Available");
        }
        // Whatever stayed loaded is released with the loader.
        EXPECT_EQ(static_cast<std::size_t>(System.Closed), System.Handles.size());
    }
}

TEST(OpenSslLoader, TriesTheOpenSsl3LibraryFirst) {
    TFakeSystem System;
    TOpenSslLoader Loader(System.Opener(), Names, [] { return true; });
    EXPECT_FALSE(Loader.IsAvailable());
    EXPECT_EQ(System.Opened, (std::vector<std::string>{"crypto3", "crypto11"}));
}

TEST(OpenSslLoader, AnOlderSystemNeverLoads) {
    TFakeSystem System;
    System.Versions = {{"crypto3", Version3}};
    System.SslPresent = {"ssl3"};
    TOpenSslLoader Loader(System.Opener(), Names, [] { return false; });
    EXPECT_FALSE(Loader.IsAvailable());
    EXPECT_TRUE(System.Opened.empty());
}

TEST(OpenSslLoader, ThePlatformLoaderFindsWhatThisSystemHas) {
    EXPECT_TRUE(PlatformAllowsTls()); // Vista or later, or not Windows
    EXPECT_EQ(IsSslAvailable(), QUORVEL_TEST_EXPECT_OPENSSL != 0);
    EXPECT_EQ(GetOpenSSLVersionText().rfind("OpenSSL ", 0) == 0, QUORVEL_TEST_EXPECT_OPENSSL != 0);
    TOpenSslLoader Loader;
    EXPECT_EQ(Loader.IsAvailable(), QUORVEL_TEST_EXPECT_OPENSSL != 0);
    if (QUORVEL_TEST_EXPECT_OPENSSL)
        EXPECT_EQ(Loader.VersionText().rfind("OpenSSL ", 0), 0u);
    else
        EXPECT_EQ(Loader.VersionText(), "Not Available");
}

TEST(HttpFallbackUrl, DropsTlsOnlyForHttpsAddressesWhenUnavailable) {
    TFakeSystem None;
    TOpenSslLoader Unavailable(None.Opener(), Names, [] { return true; });
    EXPECT_EQ(HttpFallbackUrl(Unavailable, "http://h/p"), "http://h/p");
    EXPECT_TRUE(None.Opened.empty()); // not consulted for http
    EXPECT_EQ(HttpFallbackUrl(Unavailable, "https://h/p?q=1"), "http://h/p?q=1");
    EXPECT_EQ(HttpFallbackUrl(Unavailable, "HTTPS://h/"), "http://h/");

    TFakeSystem Some;
    Some.Versions = {{"crypto3", Version3}};
    Some.SslPresent = {"ssl3"};
    TOpenSslLoader Available(Some.Opener(), Names, [] { return true; });
    EXPECT_EQ(HttpFallbackUrl(Available, "https://h/p"), "https://h/p");
}

TEST(UrlEncode, KeepsUnreservedBytesAndEscapesTheRest) {
    const std::pair<std::string, std::string> Cases[] = {
        {"", ""},
        {"Quorvel", "Quorvel"},
        {"A B&C", "A%20B%26C"},
        {"~", "%7E"},
        {"\xE9", "%E9"},
        {"a-b.c_d/e", "a-b.c_d%2Fe"},
        {"100%+", "100%25%2B"},
        {std::string("\x00\xFF", 2), "%00%FF"},
    };
    for (const auto& [In, Out] : Cases)
        EXPECT_EQ(UrlEncode(In), Out) << In;
}

} // namespace
