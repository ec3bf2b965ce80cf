#pragma once

#include <string>

namespace quorbel {

// The program's application title: caption of "title" style boxes and of the main window.
inline constexpr const char* kAppTitle = "Quorbel";

enum class BoxIcon { None, Error, Warning, Information, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Cancel, Yes, No };

// The three kinds of failure box the program shows.
enum class MessageStyle {
    Title,    // fixed text, the application's title as caption, no icon
    Error,    // caption "Error", error (stop) icon
    Warning,  // caption "Error", exclamation icon
};

// A message an operation hands to its caller to show; operations never show boxes themselves.
struct UserMessage {
    std::string text;
    MessageStyle style = MessageStyle::Title;

    std::string caption() const { return style == MessageStyle::Title ? kAppTitle : "Error"; }
    BoxIcon icon() const {
        switch (style) {
            case MessageStyle::Error:
                return BoxIcon::Error;
            case MessageStyle::Warning:
                return BoxIcon::Warning;
            default:
                return BoxIcon::None;
        }
    }
    friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

}  // namespace quorbel
