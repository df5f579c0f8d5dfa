// One-call alerts and open panels, answered through the session.

#include <gtest/gtest.h>

#include "XQKit/AlertExtension.h"
#include "platform/appkit/Alert.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/UserResponses.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {
class AlertExtensionTest : public ::testing::Test {
protected:
    xqtest::TempHome home;
    xqtest::InterfaceScope interface;
    UserResponses& responses = UserResponses::shared();
};
}  // namespace


TEST(AlertButtonIndex, MapsOnlyTheFirstThreeButtons) {
    struct Case {
        long response;
        std::optional<int> index;
    } cases[] = {{1000, 0}, {1001, 1}, {1002, 2}, {1003, std::nullopt}, {1, std::nullopt}, {0, std::nullopt},
                 {-1000, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(alertButtonIndex(c.response), c.index) << c.response;
}

TEST_F(AlertExtensionTest, SheetWithThreeButtonsAnsweredWithTheSecondCallsHandlerWithOne) {
    auto window = Window::make({0, 0, 300, 200});
    std::vector<int> got;
    AlertExtension::show(window, "Title", std::string("Message"), nullptr, {"A", "B", "C"},
                         [&](int index) { got.push_back(index); });
    RunLoop::main().runPending();
    EXPECT_TRUE(got.empty());  // the sheet waits for the user
    EXPECT_NE(window->attachedSheet(), nullptr);
    responses.answer(UserResponse::button(1));
    RunLoop::main().runPending();
    EXPECT_EQ(got, std::vector<int>{1});
    EXPECT_EQ(window->attachedSheet(), nullptr);
    auto shown = responses.presented().back();
    EXPECT_EQ(shown.title, "Title");
    EXPECT_EQ(shown.message, "Message");
    EXPECT_TRUE(shown.sheet);
}

TEST_F(AlertExtensionTest, FourthButtonHasNoIndex) {
    bool called = false;
    responses.answer(UserResponse::button(3));
    AlertExtension::show(nullptr, "T", std::nullopt, nullptr, {"1", "2", "3", "4"}, [&](int) { called = true; });
    EXPECT_FALSE(called);
    responses.answer(UserResponse::button(3));
    EXPECT_EQ(AlertExtension::show("T", std::nullopt, nullptr, {"1", "2", "3", "4"}), -1);
    responses.answer(UserResponse::button(2));
    EXPECT_EQ(AlertExtension::show("T", std::nullopt, nullptr, {"1", "2", "3", "4"}), 2);
}

TEST_F(AlertExtensionTest, CheckboxStateIsReadWhenTheDialogEnds) {
    responses.answer(UserResponse::button(0, true));
    auto [index, on] = AlertExtension::show("T", std::string("M"), nullptr, "Don't ask again", {"OK", "Cancel"});
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(on);
    EXPECT_EQ(responses.presented().back().checkbox, "Don't ask again");

    auto window = Window::make({0, 0, 300, 200});
    std::optional<std::pair<int, bool>> got;
    AlertExtension::show(window, "T", std::nullopt, nullptr, "Remember", {"OK", "Cancel"},
                         [&](int i, bool checked) { got = {i, checked}; });
    responses.answer(UserResponse::button(1, false));
    RunLoop::main().runPending();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->first, 1);
    EXPECT_FALSE(got->second);
}

TEST_F(AlertExtensionTest, OpenPanelConfirmedWithoutSelectionReportsNoURLs) {
    std::optional<std::pair<long, OpenPanelExtension::URLs>> got;
    auto panel = OpenPanelExtension::open(nullptr, std::string("Pick"), std::nullopt, std::string("Choose"),
                                          URL::fileURLWithPath(home.path(), true), true, false, true, false,
                                          std::vector<std::string>{"zip"}, nullptr, std::string("picker"),
                                          [&](long r, const OpenPanelExtension::URLs& urls) { got = {r, urls}; });
    EXPECT_EQ(panel->title, "Pick");
    EXPECT_TRUE(panel->message.empty());
    EXPECT_EQ(panel->prompt, "Choose");
    EXPECT_EQ(panel->allowedFileTypes, std::vector<std::string>{"zip"});
    EXPECT_EQ(panel->identifier, "picker");
    responses.answer(UserResponse::ok());
    RunLoop::main().runPending();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->first, 1);
    EXPECT_FALSE(got->second);
}

TEST_F(AlertExtensionTest, ModalOpenPanelReturnsTheChosenURLsOrTheResponse) {
    auto a = URL::fileURLWithPath(home / "a.zip"), b = URL::fileURLWithPath(home / "b.zip");
    responses.answer(UserResponse::ok({a, b}));
    auto [response, urls] = OpenPanelExtension::open(std::nullopt, std::nullopt, std::nullopt, std::nullopt, true,
                                                     false, true, false, std::nullopt, nullptr, std::nullopt);
    EXPECT_EQ(response, 1);
    ASSERT_TRUE(urls);
    EXPECT_EQ(*urls, (std::vector<URL>{a, b}));
    responses.answer(UserResponse::cancel());
    auto [cancelled, none] = OpenPanelExtension::open(std::nullopt, std::nullopt, std::nullopt, std::nullopt, true,
                                                      false, true, false, std::nullopt, nullptr, std::nullopt);
    EXPECT_EQ(cancelled, 0);
    EXPECT_FALSE(none);
}
