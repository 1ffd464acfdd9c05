#include "ComUtil/CreateInstance.h"

#include <gtest/gtest.h>

#include "ComUtil/HeapObject.h"
#include "ComUtil/IssueError.h"
#include "tests/unit/logging/LogTestSupport.h"

namespace {

using namespace logtest;
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

class ComUtilCreateInstance : public LogTest {
 protected:
  void SetUp() override {
    OpenLogWithColumns({L"Category", L"Message"});
    sim().com().Initialize();
    sim().com().RegisterFactory(kWidgetClass, [this](const Guid& iid, void** object) {
      askedIid_ = iid;
      return (new ComUtil::CHeapObject<Widget, IWidget>())->QueryInterface(iid, object);
    });
  }
  Guid askedIid_;
};

TEST_F(ComUtilCreateInstance, AsksForTheInterfaceThePointerNames) {
  ComUtil::ComPtr<IWidget> widget;
  ComUtil::CreateInstance(kWidgetClass, 4, &widget);
  ASSERT_TRUE(widget);
  EXPECT_EQ(widget->Size(), 42);
  EXPECT_EQ(askedIid_, IWidget::kIid);
  EXPECT_TRUE(LogLines(kTempLogPath).empty());
}

TEST_F(ComUtilCreateInstance, FailureIsIssuedFromItsOwnPlaceAndLeavesThePointerNull) {
  IWidget* widget = reinterpret_cast<IWidget*>(0x1);
  try {
    ComUtil::CreateInstance(Guid{}, 1, &widget);
    FAIL() << "no exception";
  } catch (const ComUtil::_com_error& error) {
    EXPECT_EQ(error.Error(), static_cast<platform::HResult>(0x80040154u));
  }
  EXPECT_EQ(widget, nullptr);
  EXPECT_EQ(LogLines(kTempLogPath),
            std::vector<std::string>{"IssueError\tIssuing exception 0x80040154: Class not "
                                     "registered [CreateInstance(30)]"});
}

}  // namespace
