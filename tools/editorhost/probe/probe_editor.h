// The probe plug-in's editor: a child window of the host's window showing a fixed pattern, and a
// drag anywhere in it edits parameter 0 (begin, automate per move, end).
//
// Pattern (client coordinates, w x h = kWidth x kHeight):
//   top half     left half kTopLeft, right half kTopRight
//   bottom half  kBottom, with a bar of kBar from the left, round(value0 * w) pixels wide
//   beyond w x h kBottom, when the editor has been made larger
#pragma once

#include <cstdint>

namespace probe {

constexpr int kWidth = 240;
constexpr int kHeight = 150;
constexpr int kGrowX = 40;
constexpr int kGrowY = 30;
constexpr std::uint32_t kTopLeft = 0xC02040;
constexpr std::uint32_t kTopRight = 0x20A060;
constexpr std::uint32_t kBottom = 0x203080;
constexpr std::uint32_t kBar = 0xF0E020;

// What the editor needs of the effect.
class EditorOwner {
 public:
  virtual float value0() const = 0;
  virtual void beginEdit0() = 0;
  virtual void automate0(float value) = 0;
  virtual void endEdit0() = 0;

 protected:
  ~EditorOwner() = default;
};

class Editor {
 public:
  virtual ~Editor() = default;
  virtual bool open(void* parent) = 0;
  virtual void close() = 0;
  virtual void idle() = 0;
  virtual void resize(int width, int height) = 0;
  // Parameter 0 changed: redraw the bar.
  virtual void changed() = 0;
};

Editor* createEditor(EditorOwner& owner);

// Parameter 0 from a pointer position: x across the width, clamped.
inline float valueAt(int x) {
  const float v = static_cast<float>(x) / static_cast<float>(kWidth - 1);
  return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

inline int barWidth(float value) { return static_cast<int>(value * static_cast<float>(kWidth) + 0.5f); }

}  // namespace probe
