#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "link/codecs/SettingsBlock.h"
#include "link/session/LinkService.h"
#include "link/session/WriteWatch.h"

class CLinkSession;
struct LinkReply;

// The board's settings block: read (03/21), parsed into the settings record,
// rebuilt with the record's values and written back (04/21). The block stays
// in the session's block buffer between the read and the write, so records
// the workbench does not know reach the board unchanged.
class CSettingsService : public CLinkService {
public:
    enum Timer : unsigned { kTimerSettingsWrite = 24 };

    explicit CSettingsService(CLinkSession& session);

    SettingsRecord& Record() { return m_record; }
    const SettingsRecord& Record() const { return m_record; }
    // Changes whenever the record is read again or reset: a dialog that
    // read generation g may write only while it is still g.
    unsigned Generation() const { return m_generation; }

    // 03/21 + W; false when not connected or a write runs. It ends in
    // CLinkBlockResults::OnSettingsRead, or in a message and OnSettingsReadFailed.
    bool RequestSettingsBlock();
    bool IsReading() const { return m_reading; }
    bool IsWriting() const { return m_writing; }
    // Rebuilds the block with an edited copy of the record and sends it
    // (04/21); the result arrives as CLinkBlockResults::OnSettingsWritten,
    // and the record takes the copy only when the board confirmed it. Unless
    // the board reported its task stopped (taskState 1), the user is asked
    // first; any answer but Yes sends nothing. False (with a message where
    // the user needs one) when nothing was sent.
    bool WriteSettings(unsigned generation, const SettingsRecord& edited, int taskState);
    // The record as it stands, with no question.
    bool WriteSettings(unsigned generation) { return WriteSettings(generation, m_record, 1); }

    // CLinkService
    void OnDisconnected() override;
    bool OnTimer(unsigned id) override;
    void OnTransferGivenUp(int32_t type) override;

private:
    void OnReplySettingsBlock(const LinkReply& r);
    void OnReplySettingsWrite(const LinkReply& r);
    void Reset();
    void EndWrite(bool ok);
    // The block goes back to what was read, and the write's copy is let go.
    void DropPendingWrite();
    bool SendEdited(unsigned generation, const SettingsRecord& edited);
    void ReadFailed(const std::string& why);

    CLinkSession& m_session;
    SettingsRecord m_record;
    // While a write runs: what it sends, and the block as it was before.
    SettingsRecord m_pending;
    std::vector<uint8_t> m_blockAsRead;
    unsigned m_generation = 1;
    bool m_writing = false;
    bool m_reading = false;
    CWriteWatch m_watch;
};
