// Standard error, shared by the conversion threads: whole lines, and one
// progress line that is redrawn in place and cleared before any other line
// is written.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace tqxml::tool {

class Console {
public:
    // `showProgress`: whether the progress line is drawn at all.
    explicit Console(bool showProgress) : showsProgress_(showProgress) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    bool ShowsProgress() const { return showsProgress_; }

    // One line; the newline is added.
    void Line(std::string_view text);
    // "tqxml: FILE: reason".
    void Error(std::string_view file, std::string_view reason);
    // Replaces the progress line (nothing when progress is not shown).
    void Status(std::string_view text);
    void ClearStatus();

private:
    void ClearStatusLocked();

    std::mutex mutex_;
    bool showsProgress_;
    bool statusShown_ = false;
};

} // namespace tqxml::tool
