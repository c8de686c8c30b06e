// TestNetwork: the fixture the model and ATM tests share - a kernel with the
// ATM block models registered, one network whose run files go to a scratch
// folder of this process and test (removed again at the end), and short
// ways to reach its blocks, layers and queueing systems.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TestFiles.h"
#include "atm/AtmModels.h"
#include "atm/QueueingSystem.h"
#include "model/Kernel.h"
#include "model/Network.h"

struct TestNetwork {
  Kernel k;
  Network* n = nullptr;
  std::filesystem::path dir;  // the network's "Path", a folder

  explicit TestNetwork(const char* network = "n") {
    RegisterAtmModels();
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::path(testing::TempDir()) /
          ("celvane_" + std::string(test ? test->test_suite_name() : "") + "_" +
           (test ? test->name() : "") + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    k.CreateNetwork(network);
    n = k.FindNetwork(network);
    n->PutParam("Path", Sstring((dir / "").string()));
  }
  ~TestNetwork() { std::filesystem::remove_all(dir); }
  TestNetwork(const TestNetwork&) = delete;
  TestNetwork& operator=(const TestNetwork&) = delete;

  Block& B(const char* block) { return *n->FindBlock(block); }
  Layer& L(const char* block, const char* layer) { return *B(block).FindLayer(layer); }
  QueueingSystem& Q(const char* block, const char* queue) {
    return *FindQueueingSystem(B(block), queue);
  }
  // The whole content of a run file ("" when there is none).
  std::string Read(const std::string& file) const { return Slurp(dir / file); }
};
