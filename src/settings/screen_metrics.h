#pragma once

namespace ov {

/// Width and height of a screen, in pixels.
struct ScreenSize {
    int width = 0;
    int height = 0;
};

/// The size of the primary screen, where the live display is placed. The user interface
/// provides the real one; without a display the settings take a fixed size.
class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual ScreenSize PrimaryScreen() const = 0;
};

/// A screen of a fixed size; 1024 x 768 stands for the screen when there is no display.
class FixedScreenMetrics final : public ScreenMetrics {
public:
    explicit FixedScreenMetrics(ScreenSize size = {1024, 768}) : m_size(size) {}
    ScreenSize PrimaryScreen() const override { return m_size; }

private:
    ScreenSize m_size;
};

}  // namespace ov
