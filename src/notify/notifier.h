#pragma once
// How the policy speaks to the user: the information window and the two question windows.
// The calls come from worker threads; implementations hand them to the main thread.

#include <cstdint>
#include <string>

namespace lw {

// Image indexes of the main image list.
namespace image {
inline constexpr int kStatsOnTop = 3;     // the statistics window's lock, closed
inline constexpr int kStatsNotOnTop = 4;  // and open
inline constexpr int kPolicyHangUp = 6;
inline constexpr int kIdle = 7;
inline constexpr int kAcceleration = 9;
inline constexpr int kConnected = 12;
inline constexpr int kRefused = 13;
inline constexpr int kDialling = 14;
inline constexpr int kDangerWarning = 18;
}  // namespace image

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows a notice (UTF-8). An empty text shows the current one again; an image below 0 keeps
  // the current image.
  virtual void ShowInfo(const std::string& text, int image) = 0;
  virtual void HideInfo() = 0;
};

// The question windows as the deciding thread drives them: it fills the fields, sets Active and
// shows the window, then polls Active every 500 ms until the window (on the main thread)
// clears it, and reads Answer.
class Questions {
 public:
  virtual ~Questions() = default;
  // The application question (yes, no, add to the permitted or the denied list).
  virtual void ShowAppQuestion(const std::string& text, const std::string& app_path) = 0;
  virtual bool AppQuestionActive() = 0;
  virtual int32_t AppQuestionAnswer() = 0;
  // The yes/no question; countdown 0 or less means no countdown.
  virtual bool QuestionVisible() = 0;
  virtual void ShowQuestion(const std::string& text, int32_t countdown) = 0;
  virtual bool QuestionActive() = 0;
  virtual int32_t QuestionAnswer() = 0;
};

}  // namespace lw
