#pragma once

#include "Exchanges.h"

#include <optional>
#include <string>

namespace zsvc {

// Pages that try to make the player do what only its user may: carry out the
// service's "zaro://" commands, or open pages of other hosts, by script
// navigations, frames, a meta refresh, a form post and pop-up windows, each
// without the user's click. The player's tests show them in the guide (the
// "hostile-page" fault puts page N in place of any page) and check that
// nothing happened.
//
// Page N (1 .. HostilePageCount) makes its attacks, then moves on to
// "/hostile/<N+1>.html" by a script after HostilePageStepMs; the page after
// the last one says "Attacks done" and holds two links for a user's real
// clicks: one to another host and one that downloads a video. The frame an
// attack uses is "/hostile/frame.html".
inline constexpr int HostilePageCount = 9;
inline constexpr int HostilePageStepMs = 1500;

// Page n (1 .. HostilePageCount + 1) with addresses under base ("http://host:port").
Reply hostilePage(int n, const std::string &base);
// The answer for a path under "/hostile/", or nothing when it names no page.
std::optional<Reply> hostilePageAt(const std::string &path, const std::string &base);

}  // namespace zsvc
