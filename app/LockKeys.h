#pragma once

#include <array>
#include <optional>
#include <string>

// Caps, Num and Scroll Lock as the kernel's keyboard LEDs report them
// (/sys/class/leds/<input>::capslock/brightness). Qt has no portable query for
// lock states, and the LEDs are readable without privileges on every desktop.
enum class LockKey { Caps, Num, Scroll };

// Reads the state of one lock under `ledsDir`; no such LED gives nullopt.
std::optional<bool> ReadLockKey(LockKey key, const std::string& ledsDir = "/sys/class/leds");

// The status bar text of a lock pane: its indicator while the lock is on, empty otherwise.
std::string LockPaneText(LockKey key, bool on);
