#include "input/input_codec.h"

#include <algorithm>

#include "device/codec.h"

namespace codec {

namespace {

// Indicator lists: InA/InB SDI, HDMI/VGA, CVBS; InC/InD first HDMI, second HDMI, DP.
constexpr int kCardConnectors[kInputCardCount][kIndicatorsPerCard] = {
    {kConnSdi, kConnHdmiVga, kConnCvbs},
    {kConnSdi, kConnHdmiVga, kConnCvbs},
    {kConnHdmiFirst, kConnHdmiSecond, kConnDisplayPort},
    {kConnHdmiFirst, kConnHdmiSecond, kConnDisplayPort},
};

bool valid_card(int card)
{
    return card >= 0 && card < kInputCardCount;
}

} // namespace

int indicator_index(int card, int code)
{
    if (!valid_card(card))
        return -1;
    for (int i = 0; i < kIndicatorsPerCard; ++i) {
        if (kCardConnectors[card][i] == code)
            return i;
    }
    return -1;
}

int connector_at(int card, int index)
{
    if (!valid_card(card) || index < 0 || index >= kIndicatorsPerCard)
        return 0;
    return kCardConnectors[card][index];
}

int pip_channel(int card, bool main)
{
    return 2 * card + (main ? 1 : 0);
}

QByteArray pip_rect_payload(int card, bool main, const DevRect &rect)
{
    QByteArray out;
    out.append(static_cast<char>(pip_channel(card, main)));
    put_rect(out, rect);
    return out;
}

QByteArray auto_adjust_payload(int card)
{
    return QByteArray(1, static_cast<char>(card));
}

QString main_signal_name(int card, int code, int vga)
{
    switch (code) {
    case kConnCvbs:
        return QStringLiteral("CVBS-%1").arg(card + 1);
    case kConnHdmiVga:
        // The HDMI connectors are numbered across all cards (InB's is HDMI-4).
        return vga == 0 ? QStringLiteral("HDMI-%1").arg(3 * card + 1)
                        : QStringLiteral("VGA-%1").arg(card + 1);
    case kConnSdi:
        return QStringLiteral("SDI-%1").arg(card + 1);
    default:
        return QString();
    }
}

int pip_edit_top(int extent, const QString &partner_text)
{
    bool ok = false;
    const int partner = partner_text.toInt(&ok, 10);
    // A partner beyond the frame (set from the device, not typed) leaves only 0.
    return std::clamp(extent - (ok ? partner : 0), 0, extent);
}

} // namespace codec
