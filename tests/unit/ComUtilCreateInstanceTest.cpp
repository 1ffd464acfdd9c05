#include "ComUtil/CreateInstance.h"

#include <gtest/gtest.h>

#include "ComUtil/HeapObject.h"
#include "ComUtil/IssueError.h"
#include "platform/Machine.h"

namespace {

using platform::Guid;

class IWidget : public ComUtil::IUnknown {
 public:
  static constexpr Guid kIid{0xA1A2A3A4, 0xB1B2, 0xC1C2, {1, 1, 2, 3, 5, 8, 13, 21}};
  virtual int Size() = 0;
};

class Widget : public IWidget {
 public:
  int Size() override { return 42; }
};

constexpr Guid kWidgetClass{0x0C0C0C0C, 0x1, 0x2, {9, 9, 9, 9, 9, 9, 9, 9}};

// Creates widgets for kWidgetClass and fails with `failure` for any other class.
class FakeCom : public platform::Com {
 public:
  platform::HResult Initialize() override { return platform::hr::Ok; }
  void Uninitialize() override {}
  std::shared_ptr<platform::ErrorInfo> TakeErrorInfo() override { return nullptr; }
  platform::HResult CreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                                   void** object) override {
    lastContext = context;
    lastIid = iid;
    if (!(clsid == kWidgetClass)) {
      *object = nullptr;
      return failure;
    }
    auto* widget = new ComUtil::CHeapObject<Widget, IWidget>();
    return widget->QueryInterface(iid, object);
  }

  platform::HResult failure = static_cast<platform::HResult>(0x80040154u);
  std::uint32_t lastContext = 0;
  Guid lastIid;
};

class ComUtilCreateInstance : public ::testing::Test {
 protected:
  FakeCom com_;
  platform::Machine machine_{&com_};
  platform::ScopedMachine guard_{machine_};
};

TEST_F(ComUtilCreateInstance, AsksForTheInterfaceThePointerNames) {
  ComUtil::ComPtr<IWidget> widget;
  ComUtil::CreateInstance(kWidgetClass, 4, &widget);
  ASSERT_TRUE(widget);
  EXPECT_EQ(widget->Size(), 42);
  EXPECT_EQ(com_.lastIid, IWidget::kIid);
  EXPECT_EQ(com_.lastContext, 4u);
}

TEST_F(ComUtilCreateInstance, FailureThrowsItsHResultAndLeavesThePointerNull) {
  IWidget* widget = reinterpret_cast<IWidget*>(0x1);
  try {
    ComUtil::CreateInstance(Guid{}, 1, &widget);
    FAIL() << "no exception";
  } catch (const ComUtil::_com_error& error) {
    EXPECT_EQ(error.Error(), static_cast<platform::HResult>(0x80040154u));
  }
  EXPECT_EQ(widget, nullptr);
}

}  // namespace
