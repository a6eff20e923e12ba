// GoogleTest fixture that runs one test server for a whole test suite, and a temporary folder per
// test for the files downloads write.
#pragma once

#include "tests/support/TestServer.h"

#include <clocale>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace tessaly::test {

class ServerTest : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        std::setlocale(LC_ALL, "C.UTF-8");
        server = std::make_unique<TestServer>(TESSALY_TEST_SERVER);
        ASSERT_TRUE(server->Start()) << "the test server did not start";
    }
    static void TearDownTestSuite() { server.reset(); }

protected:
    void SetUp() override {
        ASSERT_TRUE(server) << "no test server";
        folder = std::filesystem::temp_directory_path() /
                 ("tessaly-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static inline std::unique_ptr<TestServer> server;
    std::filesystem::path folder;
};

} // namespace tessaly::test
