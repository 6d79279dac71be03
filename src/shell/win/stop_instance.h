#pragma once
// "--stop": ends the running instance without a question.

namespace lw {

// Posts a close message to the running instance's about box and waits, looking every 500 ms,
// until that window is gone. Returns at once when no instance runs.
void StopRunningInstance();

}  // namespace lw
