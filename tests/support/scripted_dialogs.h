#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace xq::test {

struct ShownBox {
    std::string text;
    std::string title;
    BoxStyle style;

    bool operator==(const ShownBox&) const = default;
};

// Message boxes answered from a script. A box with only an OK button is answered OK when nothing
// is scripted; a question that finds no scripted answer fails the test.
class ScriptedDialogs : public Dialogs {
  public:
    void answer(Answer next) { script_.push_back(next); }
    // Every question the script does not answer gets this answer.
    void answerEveryQuestion(Answer answer) { always_ = answer; }
    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) override;

    const std::vector<ShownBox>& shown() const { return shown_; }
    const ShownBox& last() const;
    void clear() { shown_.clear(); }
    bool scriptUsedUp() const { return script_.empty(); }

  private:
    std::deque<Answer> script_;
    std::optional<Answer> always_;
    std::vector<ShownBox> shown_;
};

}  // namespace xq::test
