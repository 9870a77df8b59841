// wait_for_key against a scripted console: the pending second byte, skipped events, and the
// input mode put back on every way out.
#include "console/key_wait.h"

#include <gtest/gtest.h>

#include <deque>

#include "console/console.h"

namespace {

bool console_present = true;
bool raw_mode = false;
std::deque<KeyEvent> queued_events;

KeyEvent press(unsigned scan, unsigned char character = 0, bool down = true) {
  return KeyEvent{down, scan, character, scan == 72, 0};
}

}  // namespace

bool begin_key_input() { return raw_mode = console_present; }

bool read_key_event(KeyEvent* event) {
  EXPECT_TRUE(raw_mode) << "read outside raw mode";
  if (queued_events.empty()) return false;
  *event = queued_events.front();
  queued_events.pop_front();
  return true;
}

void end_key_input() { raw_mode = false; }

namespace {

TEST(WaitForKey, PendingByteAndSkippedEvents) {
  // A release, Shift alone, Up, "a" and F5.
  queued_events = {press(30, 'a', false), press(42), press(72), press(30, 'a'), press(63)};
  EXPECT_EQ(0xE0, wait_for_key());
  EXPECT_FALSE(raw_mode);
  EXPECT_EQ(72, wait_for_key());  // the pending byte, with no input read
  EXPECT_EQ(2u, queued_events.size());
  EXPECT_EQ('a', wait_for_key());
  EXPECT_EQ(0, wait_for_key());
  EXPECT_EQ(63, wait_for_key());
  EXPECT_EQ(-1, wait_for_key());  // a failing read
  EXPECT_FALSE(raw_mode);
  console_present = false;
  queued_events = {press(30, 'a')};
  EXPECT_EQ(-1, wait_for_key());  // no console
}

}  // namespace
