#pragma once

// Command codes, expected-reply codes, reply lengths and waits of the device
// protocol. Shared by the codec, the link and the simulated device.

#include <cstdint>

namespace proto {

constexpr uint8_t kDelimiter = ':';
constexpr uint8_t kByte2 = 4;
constexpr uint8_t kByte3 = 1;
constexpr int kHeaderLength = 7;     // bytes 0..6
constexpr int kMinFrameLength = 8;   // header and closing ':'
constexpr int kMaxFrameLength = 300; // the transmit and receive buffers
constexpr int kShortFrameLength = 10;

// Command codes (frame byte 5).
enum Command : uint8_t {
    kCmdPipRect = 6,
    kCmdInputBrightness = 8,
    kCmdInputContrast = 9,
    kCmdInputColour = 10,
    kCmdAutoAdjust = 13,
    kCmdLayerSelect = 16,
    kCmdSelectMode = 17,
    kCmdCopyMode = 18,
    kCmdWindowSources = 19,
    kCmdOpenMask = 20,
    kCmdRectangle = 21,
    kCmdBorder = 24,
    kCmdBrightness = 25,
    kCmdContrast = 26,
    kCmdColour = 27,
    kCmdLayerMove = 29,
    kCmdLedSize = 32,
    kCmdInputSource = 129,
    kCmdPipOnOff = 130,
    kCmdPipSource = 131,
    kCmdDerivedPortRects = 149,
    kCmdCustomResolution = 158,
    kCmdPresetResolution = 159,
    kCmdUnitRects = 162,
    kCmdDeviceInit = 176,
    kCmdImportInput = 192,
    kCmdImportGlobal = 193,
    kCmdImportMode = 194,
    kCmdImportEnd = 195,
    kCmdRead = 254,
};

// Output form of the shared commands 17, 18, 21, 25, 26, 27: bit 7 of byte 7.
constexpr uint8_t kOutputForm = 0x80;

// Read selectors (byte 7 of a read request).
enum Selector : uint8_t {
    kSelStatus = 0,
    kSelInputCard = 1,
    kSelWindows = 3,
    kSelLedRects = 4,
    kSelLedSizes = 5,
    kSelUnitRects = 6,
    kSelWinAdjust = 7,
    kSelWinBorders = 8,
    kSelModeTable = 9,
};

// Expected-reply codes (serial_wait_code / net_wait_code).
enum WaitCode : int {
    kWaitNone = 0,
    kWaitStatus = 1,
    kWaitWindows = 2,
    kWaitModeTable = 3,
    kWaitWindowRect = 4,
    kWaitOpenMask = 5,
    kWaitSelectMode = 6,
    kWaitInputCard = 7,
    kWaitInputSource = 8,
    kWaitPipOnOff = 9,
    kWaitInputAdjust = 10,
    kWaitPipRect = 11,
    kWaitPipSource = 12,
    kWaitAutoAdjust = 13,
    kWaitWindowSources = 14,
    kWaitWinAdjust = 15,
    kWaitWinBorders = 16,
    kWaitUnitRectsRead = 17,
    kWaitLedSizesRead = 18,
    kWaitCustomResolution = 19,
    kWaitPresetResolution = 20,
    kWaitLedTotal = 21,
    kWaitDeviceInit = 30,
    kWaitImportInput = 31,
    kWaitImportMode = 32,
    kWaitImportGlobal = 33,
    kWaitImportEnd = 34,
    kWaitDerivedPortRects = 35,
    kWaitOutputMode = 40,
    kWaitOutputContrast = 41,
    kWaitOutputColour = 42,
    kWaitLayerMove = 45,
    kWaitLayerSelect = 46,
    kWaitUnitRects = 47,
    kWaitPortRects = 50,
    kWaitBorder = 53,
    kWaitWinBrightness = 54,
    kWaitWinContrast = 55,
    kWaitWinColour = 56,
    kWaitResolutionDone = 60,
    kWaitLedRectsRead = 62,
    kWaitLedWallSize = 80,
    kWaitCopyMode = 82,
};

// Reply lengths of the read requests.
constexpr int kStatusReplyLength = 26;
constexpr int kInputCardReplyLength = 29;
constexpr int kWindowsReplyLength = 74;
constexpr int kLedRectsReplyLength = 202;
constexpr int kLedTotalsReplyLength = 74;
constexpr int kWallSizesReplyLength = 266;
constexpr int kUnitRectsReplyLength = 74;
constexpr int kWinAdjustReplyLength = 108;
constexpr int kWinBordersReplyLength = 30;
constexpr int kModeTableReplyLength = 283;

// Lengths of the acknowledgements the reply engines read.
constexpr int kAckShort = 8;
constexpr int kAckPip = 10;
constexpr int kAckCustomResolution = 13;
constexpr int kAckPresetResolution = 10;
constexpr int kAckImportInput = 46;
constexpr int kAckImportGlobal = 281;
constexpr int kAckImportMode = 201;

// Length of the acknowledgement the device sends for a write command: the
// reply the program reads for it, whether an engine reads it or not.
int ack_length(int command);

// One direct read: what is asked, how long its reply is and how long to wait.
struct ReadSpec {
    uint8_t selector;
    int length;
    int wait_code;
    int serial_wait_ms;
    int net_first_wait_ms;
};

constexpr ReadSpec kReadStatusBoot{kSelStatus, kStatusReplyLength, kWaitStatus, 300, 800};
constexpr ReadSpec kReadStatusInput{kSelStatus, kStatusReplyLength, kWaitStatus, 500, 500};
constexpr ReadSpec kReadInputCard{kSelInputCard, kInputCardReplyLength, kWaitInputCard, 500, 500};
constexpr ReadSpec kReadWindows{kSelWindows, kWindowsReplyLength, kWaitWindows, 600, 1500};
constexpr ReadSpec kReadLedRects{kSelLedRects, kLedRectsReplyLength, kWaitLedRectsRead, 500, 800};
constexpr ReadSpec kReadLedTotals{kSelLedSizes, kLedTotalsReplyLength, kWaitLedSizesRead, 500, 800};
constexpr ReadSpec kReadWallSizes{kSelLedSizes, kWallSizesReplyLength, kWaitLedSizesRead, 800, 800};
constexpr ReadSpec kReadUnitRects{kSelUnitRects, kUnitRectsReplyLength, kWaitUnitRectsRead, 500,
                                  800};
constexpr ReadSpec kReadWinAdjust{kSelWinAdjust, kWinAdjustReplyLength, kWaitWinAdjust, 300, 300};
constexpr ReadSpec kReadWinBorders{kSelWinBorders, kWinBordersReplyLength, kWaitWinBorders, 300,
                                   300};
constexpr ReadSpec kReadModeTable{kSelModeTable, kModeTableReplyLength, kWaitModeTable, 500, 800};

// Network direct reads poll every 300 ms after the first wait, at most this often.
constexpr int kNetPollMs = 300;
constexpr int kNetMaxPolls = 10;

// A busy dialog whose acknowledgement never comes is given up after this long.
constexpr int kBusyBoundMs = 10000;

// What a reply engine does with one expected-reply code.
enum class EngineAction {
    RefreshStatusAndClose, // 8, 12
    CloseBusy,             // 9
    ResetRecords,          // 20, 30, 60
    ResolutionFollowUp,    // 19: the preset command 159 follows a custom size
    ImportGlobal,          // 31: the global block follows the input block
    ImportNextMode,        // 32: the next mode block, or the end after mode 15
    ImportFirstMode,       // 33: mode block 0 follows the global block
    ImportFinish,          // 34: read the device back, close the busy dialog
};

struct EngineCase {
    int code;
    int wait_ms;  // serial engine only
    int read_len; // serial engine only
    EngineAction action;
};

// The case of a code, or nullptr when the engines ignore it.
const EngineCase *engine_case(int code);

} // namespace proto
