// The binding's rule for what arrives while an action runs, with a surface and a controller of the
// test's own and a clock that moves only when the test says so.

#include "ui/window_binding.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/manual_clock.h"

namespace xq::test {
namespace {

using namespace std::chrono_literals;

class RecordingSurface final : public WindowSurface {
  public:
    void setCaption(std::string_view) override {}
    void layOut(const FormControl&) override {}
    void setMainText(std::string_view text) override { mainText = text; }
    void setMainTextFont(int) override {}
    void setMainTextReadOnly(bool) override {}
    void appendLog(std::string_view) override {}
    void replaceLog(std::string_view) override {}
    int logLength(std::string_view text) const override { return static_cast<int>(text.size()); }
    void selectLog(int, int, bool) override {}
    void setLogBackground(Rgb) override {}
    void setDriveEntries(const std::vector<std::string>&) override {}
    void selectDriveEntry(int) override {}
    void setLabel(Control, std::string_view) override {}
    void setProgressRange(int, int) override {}
    void setProgressValue(int) override {}
    void setVisible(Control, bool) override {}
    void setEnabled(Control, bool) override {}
    void setPicture(Control, std::string_view) override {}
    void setFocus(Control) override {}
    void drawNow(Control) override { ++drawn; }
    void handleWaitingEvents() override {
        ++eventsHandled;
        if (whileHandlingEvents) {
            whileHandlingEvents();
        }
    }
    void closeWindow() override { closed = true; }

    std::string mainText;
    int drawn = 0;
    int eventsHandled = 0;
    bool closed = false;
    // What the window system delivers while the events are handled: the operator's clicks, a
    // close request, an interruption.
    std::function<void()> whileHandlingEvents;
};

// A wizard whose OK runs whatever the test gives it, as one action.
class ScriptedController final : public WindowController {
  public:
    void okPressed() override { run(okAction); }
    void backPressed() override { ++backs; }
    void exitPressed() override { ++exits; }
    bool closeRequested() override {
        run([this] {
            ++closeQuestions;
            ended_ = closeAnswer;
        });
        return ended_;
    }
    void driveListIndexChanged(int) override {}
    void driveListKeyDown() override {}
    void driveListOpening() override {}
    void logButtonClicked() override {}
    void drivesChanged() override { ++driveChanges; }
    void stopForInterruption() override {
        ++stops;
        ended_ = true;
    }
    bool busy() const override { return busy_; }
    bool ended() const override { return ended_; }

    std::function<void()> okAction;
    bool closeAnswer = false;
    int backs = 0;
    int exits = 0;
    int closeQuestions = 0;
    int driveChanges = 0;
    int stops = 0;

  private:
    void run(const std::function<void()>& action) {
        busy_ = true;
        if (action) {
            action();
        }
        busy_ = false;
    }
    bool busy_ = false;
    bool ended_ = false;
};

class WindowBindingTest : public ::testing::Test {
  protected:
    // An action that shows `messages` messages, the clock moving `step` between two of them.
    void actionShowing(int messages, Clock::Duration step) {
        controller.okAction = [this, messages, step] {
            for (int i = 0; i < messages; ++i) {
                model.mainText.text = "message " + std::to_string(i);
                model.repaint(Control::MainText);
                clock.advance(step);
            }
        };
    }

    WindowModel model;
    ScriptedController controller;
    RecordingSurface surface;
    ManualClock clock;
    WindowBinding binding{model, controller, surface, clock};
};

// Every action handles the window's waiting events at its first repaint, however fast the machine,
// then a few times a second of the clock: never at each of thousands of progress steps.
TEST_F(WindowBindingTest, AnActionHandlesWaitingEventsAtItsStartThenByTheClock) {
    actionShowing(5, 10ms);
    binding.okPressed();
    EXPECT_EQ(surface.drawn, 5);
    EXPECT_EQ(surface.eventsHandled, 1);
    EXPECT_EQ(surface.mainText, "message 4");

    binding.okPressed();  // the next action starts anew, whatever the clock says
    EXPECT_EQ(surface.eventsHandled, 2);

    actionShowing(10, 50ms);  // 500 ms in all: every other repaint
    binding.okPressed();
    EXPECT_EQ(surface.eventsHandled, 2 + 5);

    // Between actions a repaint handles nothing: the toolkit's own loop does.
    model.repaint(Control::MainText);
    EXPECT_EQ(surface.eventsHandled, 7);
}

// What arrives while an action runs (handed over by a box of the action): the operator's presses,
// a change of the drives and a close request wait for the action's end and are taken in, and an
// interruption ends the program once the action has stopped.
TEST_F(WindowBindingTest, WhatArrivesDuringAnActionWaitsForItsEnd) {
    actionShowing(1, 0ms);
    bool closedAtOnce = true;
    bool handedOver = false;
    surface.whileHandlingEvents = [&] {
        if (std::exchange(handedOver, true)) {
            return;  // the OK pressed meanwhile runs an action of its own
        }
        binding.backPressed();
        binding.exitPressed();  // as in a diskette's error box: asked after it, not forgotten
        binding.okPressed();
        binding.drivesChanged();
        binding.drivesChanged();
        closedAtOnce = binding.closeRequested();
        EXPECT_FALSE(binding.closeRequested());
        EXPECT_EQ(controller.closeQuestions, 0);
    };
    binding.okPressed();
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(controller.backs, 1);  // pressed during the action, taken after it
    EXPECT_EQ(controller.exits, 1);
    EXPECT_EQ(controller.closeQuestions, 1);  // asked once, after the action; answered No
    EXPECT_EQ(controller.driveChanges, 1);
    EXPECT_FALSE(surface.closed);

    surface.whileHandlingEvents = [&] { EXPECT_FALSE(binding.interrupted()); };
    binding.okPressed();
    EXPECT_EQ(controller.stops, 1);
    EXPECT_TRUE(surface.closed);
    EXPECT_TRUE(binding.ended());
    EXPECT_TRUE(binding.interrupted());
}

TEST_F(WindowBindingTest, AConfirmedCloseBetweenActionsEndsTheProgram) {
    controller.closeAnswer = true;
    EXPECT_TRUE(binding.closeRequested());
    EXPECT_TRUE(surface.closed);
    EXPECT_TRUE(binding.sessionEnding());
}

}  // namespace
}  // namespace xq::test
