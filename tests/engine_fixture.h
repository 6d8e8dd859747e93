// Loads the development engine's library into the test process and binds the
// entry-point table, without initialising the engine.
#pragma once

#include <gtest/gtest.h>

#include "cef_api.h"
#include "test_support.h"
#include "winhandle.h"

class EngineLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FLibrary.reset(LoadLibraryW((BinFolder() + L"\\libcef.dll").c_str()));
    ASSERT_TRUE(FLibrary) << "libcef.dll beside the test";
    ASSERT_EQ(ResolveEntryPoints(FLibrary.get(), CefApi), 0);
  }
  void TearDown() override { CefApi = TCefEntryPoints{}; }

 private:
  TLibraryHandle FLibrary;
};
