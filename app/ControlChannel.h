#pragma once

// The local control channel: a second start asks the running instance to show its window.
constexpr unsigned short kControlChannelPort = 61567;

// Client side: connects to 127.0.0.1 and sends "show" with its NUL. Nothing is checked: with no
// listener the request is simply lost.
bool NotifyRunningInstance();
