// An in-process run of the whole conversion in a private folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "driver/run.h"
#include "io/fault_injection.h"

// What one run left behind.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  std::string listing;
};

// Runs the conversion in-process, in a private folder of its own.
class RunFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("listconv-" + std::string(info->name()) + "-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    gInjectedFaults = InjectedFaults();
    std::filesystem::current_path(home_);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Replaces the folder's files by `files`.
  void put(const std::map<std::string, std::string>& files) {
    for (const char* name : {"kanjis.dat", "words.txt", "list.rec", "list.txt"}) {
      std::filesystem::remove(name);
    }
    for (const auto& [name, bytes] : files) {
      std::ofstream(name, std::ios::binary) << bytes;
    }
  }

  // Runs the conversion with `faults` in force.
  Outcome run(InjectedFaults faults = InjectedFaults()) {
    gInjectedFaults = faults;
    Outcome o;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    o.status = runConversion();
    o.out = ::testing::internal::GetCapturedStdout();
    o.err = ::testing::internal::GetCapturedStderr();
    gInjectedFaults = InjectedFaults();
    std::ifstream in("list.txt", std::ios::binary);
    o.listing.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return o;
  }

  std::filesystem::path home_;
  std::filesystem::path dir_;
};
