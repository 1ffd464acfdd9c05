#include "ComUtil/HeapObject.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ComUtil/ComPtr.h"

namespace {

using platform::Guid;

class ICounter : public ComUtil::IUnknown {
 public:
  static constexpr Guid kIid{0x11112222, 0x3333, 0x4444,
                             {0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC}};
  virtual int Next() = 0;
};

constexpr Guid kOtherIid{0x99998888, 0x7777, 0x6666, {1, 2, 3, 4, 5, 6, 7, 8}};

class Counter : public ICounter {
 public:
  explicit Counter(int* destroyed) : destroyed_(destroyed) {}
  ~Counter() { ++*destroyed_; }
  int Next() override { return ++value_; }

 private:
  int* destroyed_;
  int value_ = 0;
};

using CounterObject = ComUtil::CHeapObject<Counter, ICounter>;

TEST(ComUtilHeapObject, CountStartsAtZeroAndTheLastReleaseDeletes) {
  int destroyed = 0;
  auto* object = new CounterObject(&destroyed);
  EXPECT_EQ(object->AddRef(), 1u);
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
}

TEST(ComUtilHeapObject, QueryInterfaceAnswersIUnknownAndItsInterfaceOnly) {
  int destroyed = 0;
  ComUtil::ComPtr<ICounter> holder(new CounterObject(&destroyed));
  holder->AddRef();  // the holder's own reference

  void* asUnknown = nullptr;
  ASSERT_EQ(holder->QueryInterface(ComUtil::kIidIUnknown, &asUnknown), platform::hr::Ok);
  EXPECT_EQ(asUnknown, static_cast<ICounter*>(holder.get()));
  void* asCounter = nullptr;
  ASSERT_EQ(holder->QueryInterface(ICounter::kIid, &asCounter), platform::hr::Ok);
  EXPECT_EQ(static_cast<ICounter*>(asCounter)->Next(), 1);

  void* other = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(holder->QueryInterface(kOtherIid, &other), platform::hr::NoInterface);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(holder->QueryInterface(ICounter::kIid, nullptr), ComUtil::kInvalidPointer);

  // Two successful queries added two references: three in all, released one by one.
  EXPECT_EQ(holder->Release(), 2u);
  EXPECT_EQ(holder->Release(), 1u);
  holder.Reset();
  EXPECT_EQ(destroyed, 1);
}

TEST(ComUtilHeapObject, ConcurrentReferencesAreCountedExactly) {
  int destroyed = 0;
  auto* object = new CounterObject(&destroyed);
  object->AddRef();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([object] {
      for (int i = 0; i < 20000; ++i) {
        object->AddRef();
        object->Release();
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
}

}  // namespace
