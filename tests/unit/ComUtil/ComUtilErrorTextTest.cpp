// The texts of caught errors: COM errors with their error information, standard
// exceptions, and the message text of an HRESULT.
#include "ComUtil/ErrorText.h"

#include <gtest/gtest.h>

#include "tests/unit/logging/LogTestSupport.h"

namespace {

using namespace logtest;
using platform::HResult;

HResult H(std::uint32_t value) { return static_cast<HResult>(value); }

const platform::Guid kJobIid{0x37668D37, 0x507E, 0x4160, {0x93, 0x16, 0x26, 0x30, 0x6D, 0x15, 0x0B, 0x12}};

// Error information whose parts can each fail to be read.
class FakeErrorInfo : public platform::ErrorInfo {
 public:
  FakeErrorInfo(std::wstring description, std::wstring source, platform::Guid iid)
      : description_(std::move(description)), source_(std::move(source)), iid_(iid) {}
  bool Description(std::wstring* text) override {
    *text = description_;
    return descriptionReadable;
  }
  bool Source(std::wstring* text) override {
    *text = source_;
    return sourceReadable;
  }
  bool InterfaceId(platform::Guid* iid) override {
    *iid = iid_;
    return true;
  }
  bool descriptionReadable = true;
  bool sourceReadable = true;

 private:
  std::wstring description_, source_;
  platform::Guid iid_;
};

using ComUtilErrorText = LogTest;

TEST_F(ComUtilErrorText, MessageTextFallsBackToDispatchNumbersAndUnknownCodes) {
  EXPECT_EQ(ComUtil::ComErrorMessage(platform::hr::Fail), L"Unspecified error");
  EXPECT_EQ(ComUtil::ComErrorMessage(H(0x80040201u)), L"IDispatch error #1");
  EXPECT_EQ(ComUtil::ComErrorMessage(H(0x8004FFFFu)), L"IDispatch error #65023");
  EXPECT_EQ(ComUtil::ComErrorMessage(H(0x80040200u)), L"Unknown error 0x80040200");
  EXPECT_EQ(ComUtil::ComErrorMessage(H(0xA0000ABCu)), L"Unknown error 0xA0000ABC");
  ComUtil::_com_error error(H(0x80040201u));
  EXPECT_EQ(error.ErrorMessage(), L"IDispatch error #1");
}

TEST_F(ComUtilErrorText, DescriptionWinsOverTheMessageWithoutItsTrailingLineBreaks) {
  auto info = std::make_shared<FakeErrorInfo>(L"Line one\r\nline two\r\n\r\n", L"",
                                              platform::Guid{});
  ComUtil::_com_error error(platform::hr::Fail, info);
  EXPECT_EQ(ComUtil::FormatComErrorText(error, nullptr, "beta", 7),
            L"Exception 0x80004005: Line one\r\nline two [beta(7)]");
  EXPECT_EQ(ComUtil::FormatComErrorText(error, L"Download", nullptr, 0),
            L"Exception 0x80004005 in Download: Line one\r\nline two");
}

TEST_F(ComUtilErrorText, WithoutInformationTheMessageIsUsedInLowerCaseHex) {
  ComUtil::_com_error error(H(0x80040154u));
  EXPECT_EQ(ComUtil::FormatComErrorText(error, nullptr, "f", 1),
            L"Exception 0x80040154: Class not registered [f(1)]");
  ComUtil::_com_error dispatch(H(0x8004020Au));
  EXPECT_EQ(ComUtil::FormatComErrorText(dispatch, nullptr, nullptr, 0),
            L"Exception 0x8004020a: IDispatch error #10");
}

TEST_F(ComUtilErrorText, SourceAndInterfaceAreNamedByTheirRegistrations) {
  registry().PutString(platform::kHkeyClassesRoot, L"Bits.Manager", L"", L"Background Copy Manager");
  auto info = std::make_shared<FakeErrorInfo>(L"Denied.", L"Bits.Manager", kJobIid);
  ComUtil::_com_error error(H(0x80070005u), info);
  EXPECT_EQ(ComUtil::FormatComErrorText(error, nullptr, "f", 2),
            L"Exception 0x80070005: Denied. (Source: Background Copy Manager; Interface: "
            L"{37668D37-507E-4160-9316-26306D150B12}) [f(2)]");

  registry().PutString(platform::kHkeyClassesRoot,
                       L"Interface\\{37668D37-507E-4160-9316-26306D150B12}", L"",
                       L"IBackgroundCopyJob");
  auto interfaceOnly = std::make_shared<FakeErrorInfo>(L"Denied.", L"", kJobIid);
  EXPECT_EQ(ComUtil::FormatComErrorText(ComUtil::_com_error(H(0x80070005u), interfaceOnly),
                                        nullptr, nullptr, 0),
            L"Exception 0x80070005: Denied. (Interface: IBackgroundCopyJob)");

  auto sourceOnly = std::make_shared<FakeErrorInfo>(L"Denied.", L"Unregistered.Thing",
                                                    platform::Guid{});
  EXPECT_EQ(ComUtil::FormatComErrorText(ComUtil::_com_error(H(0x80070005u), sourceOnly),
                                        nullptr, nullptr, 0),
            L"Exception 0x80070005: Denied. (Source: Unregistered.Thing)");
}

TEST_F(ComUtilErrorText, UnreadableInformationFallsBackToTheMessage) {
  auto info = std::make_shared<FakeErrorInfo>(L"Denied.", L"Src", platform::Guid{});
  info->sourceReadable = false;
  EXPECT_EQ(ComUtil::FormatComErrorText(ComUtil::_com_error(H(0x80070005u), info), nullptr,
                                        nullptr, 0),
            L"Exception 0x80070005: Access is denied.");
}

TEST_F(ComUtilErrorText, StandardExceptionTexts) {
  EXPECT_EQ(ComUtil::FormatExceptionText("bad \xE9tat", nullptr, "f", 4),
            L"Exception: bad \x00E9tat [f(4)]");
  EXPECT_EQ(ComUtil::FormatExceptionText("", L"Enumerate", nullptr, 0),
            L"Exception in Enumerate: Unknown exception");
  EXPECT_EQ(ComUtil::FormatExceptionText(nullptr, nullptr, nullptr, 0),
            L"Exception: Unknown exception");
}

}  // namespace
