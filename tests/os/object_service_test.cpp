#include "os/object_service.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr os::Guid kClass = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr os::Guid kOtherClass = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 9}};
constexpr os::Guid kInterface = {0xAAAAAAAA, 0xBBBB, 0xCCCC, {8, 7, 6, 5, 4, 3, 2, 1}};

int g_object = 0;
int g_initializeCalls = 0;
os::HResult g_initializeResult = os::kOk;

os::HResult CountingInitialize() {
  ++g_initializeCalls;
  return g_initializeResult;
}

os::HResult CreateKnownClass(const os::Guid& clsid, const os::Guid& iid, void** object) {
  if (!(clsid == kClass)) return os::kClassNotRegistered;
  if (!(iid == kInterface)) return os::kNoInterface;
  *object = &g_object;
  return os::kOk;
}

const os::ObjectProvider kProvider{CountingInitialize, CreateKnownClass};

class ObjectService : public ::testing::Test {
 protected:
  void SetUp() override {
    g_initializeCalls = 0;
    g_initializeResult = os::kOk;
    os::SetObjectProvider(&kProvider);
  }
  void TearDown() override { os::SetObjectProvider(nullptr); }
};

TEST_F(ObjectService, CreationNeedsAnInitialisedThread) {
  void* object = &g_object;
  EXPECT_EQ(os::CreateInstance(kClass, kInterface, &object), os::kNotInitialized);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ObjectService, ProviderCreatesItsClassAndRefusesOthers) {
  ASSERT_EQ(os::Initialize(), os::kOk);
  void* object = nullptr;
  EXPECT_EQ(os::CreateInstance(kClass, kInterface, &object), os::kOk);
  EXPECT_EQ(object, &g_object);
  EXPECT_EQ(os::CreateInstance(kOtherClass, kInterface, &object), os::kClassNotRegistered);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(os::CreateInstance(kClass, kClass, &object), os::kNoInterface);
  os::Uninitialize();
}

TEST_F(ObjectService, InitialisationIsCountedPerThread) {
  ASSERT_EQ(os::Initialize(), os::kOk);
  EXPECT_EQ(os::Initialize(), os::kFalse);
  EXPECT_EQ(g_initializeCalls, 1);  // the provider decides once per thread
  void* object = nullptr;
  std::thread other([&] {
    void* fromOther = &g_object;
    EXPECT_EQ(os::CreateInstance(kClass, kInterface, &fromOther), os::kNotInitialized);
  });
  other.join();
  os::Uninitialize();
  EXPECT_EQ(os::CreateInstance(kClass, kInterface, &object), os::kOk);  // one still counted
  os::Uninitialize();
  EXPECT_EQ(os::CreateInstance(kClass, kInterface, &object), os::kNotInitialized);
  os::Uninitialize();  // unbalanced: harmless
  EXPECT_EQ(os::Initialize(), os::kOk);
  os::Uninitialize();
}

TEST_F(ObjectService, ProviderCanRefuseInitialisation) {
  g_initializeResult = os::kFail;
  EXPECT_EQ(os::Initialize(), os::kFail);
  void* object = nullptr;
  EXPECT_EQ(os::CreateInstance(kClass, kInterface, &object), os::kNotInitialized);
}

TEST_F(ObjectService, WithoutProviderNothingIsRegistered) {
  os::SetObjectProvider(nullptr);
  ASSERT_EQ(os::Initialize(), os::kOk);
  void* object = &g_object;
  EXPECT_EQ(os::CreateInstance(kClass, kInterface, &object), os::kClassNotRegistered);
  EXPECT_EQ(object, nullptr);
  os::Uninitialize();
}

}  // namespace
