#include "device/protocol.h"

namespace proto {

namespace {

constexpr EngineCase kEngineCases[] = {
    {kWaitInputSource, 200, kAckShort, EngineAction::RefreshStatusAndClose},
    {kWaitPipOnOff, 200, kAckPip, EngineAction::CloseBusy},
    {kWaitPipSource, 200, kAckShort, EngineAction::RefreshStatusAndClose},
    {kWaitCustomResolution, 300, kAckCustomResolution, EngineAction::ResolutionFollowUp},
    {kWaitPresetResolution, 300, kAckPresetResolution, EngineAction::ResetRecords},
    {kWaitDeviceInit, 300, kAckShort, EngineAction::ResetRecords},
    {kWaitResolutionDone, 300, kAckPresetResolution, EngineAction::ResetRecords},
    {kWaitImportInput, 600, kAckImportInput, EngineAction::ImportGlobal},
    {kWaitImportMode, 600, kAckImportMode, EngineAction::ImportNextMode},
    {kWaitImportGlobal, 600, kAckImportGlobal, EngineAction::ImportFirstMode},
    {kWaitImportEnd, 300, kAckShort, EngineAction::ImportFinish},
};

} // namespace

int ack_length(int command)
{
    switch (command) {
    case kCmdPipOnOff:
        return kAckPip;
    case kCmdCustomResolution:
        return kAckCustomResolution;
    case kCmdPresetResolution:
        return kAckPresetResolution;
    case kCmdImportInput:
        return kAckImportInput;
    case kCmdImportGlobal:
        return kAckImportGlobal;
    case kCmdImportMode:
        return kAckImportMode;
    default:
        return kAckShort;
    }
}

const EngineCase *engine_case(int code)
{
    for (const EngineCase &c : kEngineCases) {
        if (c.code == code)
            return &c;
    }
    return nullptr;
}

} // namespace proto
