// Windows Sockets for the whole test program, as the executor starts them for itself.
#pragma once

#include <winsock2.h>

#include <gtest/gtest.h>

namespace velmora::test {

class WinsockEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    }
    void TearDown() override { ::WSACleanup(); }
};

// Include once per test program and register with: VELMORA_TEST_USES_WINSOCK;
#define VELMORA_TEST_USES_WINSOCK                            \
    [[maybe_unused]] static auto* const winsockEnvironment = \
        ::testing::AddGlobalTestEnvironment(new ::velmora::test::WinsockEnvironment)

}  // namespace velmora::test
