#pragma once

#include "ui/dialog_base.h"

#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace rz {

class CSongDoc;
class CTrack;
class IEngineLink;
class IProfile;
class IPrompt;

// "Import lyrics": the performer types, pastes or opens lyrics, then taps
// them in while the song plays, one word or line per press of Insert. The
// target track is outside the song while tapping, so the engine never reads
// it and the inserts need no lock. Ends with OK once the transport stops.
class CImportLyricsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 511;
    static constexpr int kTextId = 1052;
    static constexpr int kOpenId = 1421;
    static constexpr int kWordModeId = 1037;
    static constexpr int kLineModeId = 1038;
    static constexpr int kInsertId = 1092;
    static constexpr int kTimerMs = 100;
    static constexpr size_t kMaxFileBytes = size_t(1) << 20;
    static constexpr const char* kHelpTopic = "::/Karaoke.htm#IMPORT";

    CImportLyricsDlg(CSongDoc& song, CTrack& target, IEngineLink& engine, IProfile& profile, IPrompt& prompt,
                     QWidget* parent = nullptr);


    QPlainTextEdit* textEdit() const { return m_text; }
    QPushButton* openButton() const { return m_open; }
    QPushButton* insertButton() const { return m_insert; }
    QPushButton* okButton() const { return m_ok; }
    QRadioButton* wordMode() const { return m_wordMode; }
    QRadioButton* lineMode() const { return m_lineMode; }
    bool tapping() const { return m_tapping; }
    const std::deque<std::string>& pending() const { return m_pending; }

    // Open...: reads a text file into the text box.
    void openFile();
    // OK: while editing starts the tapping; afterwards nothing.
    void accept() override;
    // Insert: the next piece at the playback tick.
    void insertNext();
    // The 100 ms timer: ends with OK once the transport has stopped.
    void timerStep();

private:
    void updateOk();
    void startTapping();
    void showNextPiece();

    CSongDoc& m_song;
    CTrack& m_target;
    IEngineLink& m_engine;
    IProfile& m_profile;
    IPrompt& m_prompt;
    bool m_tapping = false;
    std::deque<std::string> m_pending; // the next piece first
    QTimer m_timer;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_ok = nullptr;
    QRadioButton* m_wordMode = nullptr;
    QRadioButton* m_lineMode = nullptr;
};

} // namespace rz
