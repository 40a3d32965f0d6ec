#include "device/device_data.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

DeviceData device_data;

namespace {

constexpr int kAdjustResetInput = 50;
constexpr int kAdjustResetWindow = 128;
constexpr int kFrameResetColour = 128;
constexpr int kFrameResetSize = 3;

const DevRect kFullPicture{0, 0, 3840, 2160}; // windows 0 and 1 (InC/InD)
const DevRect kHalfPicture{0, 0, 1920, 1080}; // windows 2 and 3 (InA/InB)

} // namespace

void DeviceData::reset_device_data()
{
    for (Adjust &a : in_adjust)
        a = {kAdjustResetInput, kAdjustResetInput, kAdjustResetInput};
    for (int w = 0; w < kWindowCount; ++w) {
        win_adjust[w] = {kAdjustResetWindow, kAdjustResetWindow, kAdjustResetWindow};
        win_frame[w] = {0, kFrameResetColour, kFrameResetColour, kFrameResetColour,
                        kFrameResetSize};
    }
    for (ModeData &m : mode_data) {
        m.win_layers.clear();
        m.out_total_w = 0;
        m.out_total_h = 0;
        for (int w = 0; w < kWindowCount; ++w) {
            m.win_layers.append(kWindowCount - 1 - w);
            m.win_source[w] = 0;
            m.win_open[w] = 0;
            m.win_canvas[w] = DevRect{};
        }
    }
}

void DeviceData::load_default_layouts()
{
    static const DevRect kOverlay[kWindowCount] = {
        {0, 0, 3840, 2160}, {600, 200, 2640, 600}, {600, 1360, 800, 600}, {2440, 1360, 800, 600}};
    static const DevRect kCascade[kWindowCount] = {
        {900, 0, 2940, 1560}, {600, 200, 2940, 1560}, {300, 400, 2940, 1560}, {0, 600, 2940, 1560}};
    static const DevRect kQuad[kWindowCount] = {
        {0, 0, 1920, 1080}, {1920, 0, 1920, 1080}, {0, 1080, 1920, 1080}, {1920, 1080, 1920, 1080}};

    for (int m = 0; m < kModeCount; ++m) {
        const DevRect *out = m == 1 ? kCascade : m == 2 ? kQuad : kOverlay;
        for (int w = 0; w < kWindowCount; ++w) {
            mode_data[m].win_in[w] = w < 2 ? kFullPicture : kHalfPicture;
            mode_data[m].win_out[w] = out[w];
        }
    }
}

bool DeviceData::delay(int ms)
{
    // A monotonic clock: the wait lasts at least ms, across midnight too. The
    // nested loop sleeps until an event or the deadline arrives instead of
    // spinning; the clock is checked again because a timer may fire early.
    QElapsedTimer clock;
    clock.start();
    qint64 remaining = ms;
    while (remaining > 0) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        remaining = ms - clock.elapsed();
    }
    return true;
}
