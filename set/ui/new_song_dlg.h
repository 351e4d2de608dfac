#pragma once

#include "ui/dialog_base.h"

#include <filesystem>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;

namespace rz {

class IProfile;
class IPrompt;
class SetDocument;

// "New...": what to create (an empty set, an empty song, a copy of the
// clipboard's song or a song from a template), its name and where. It only
// chooses; the caller creates from kind(), path() and templatePath().
class CNewSongDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 281;
    static constexpr int kAddToSetId = 1249;

    // `forcedSong`: the caller wants a song.
    CNewSongDlg(IProfile& profile, IPrompt& prompt, const SetDocument& set, bool forcedSong,
                QWidget* parent = nullptr);

    int kind() const { return m_kind; }
    const std::filesystem::path& path() const { return m_path; }
    // The song a new song starts from: the clipboard's song or a template;
    // empty for the empty rows.
    const std::filesystem::path& templatePath() const { return m_templatePath; }
    // The folders whose "*.mid" files are the templates: "templates" in the
    // program's folder and in each application data folder.
    static std::vector<std::filesystem::path> templateFolders();
    bool addToSet() const;

    QListWidget* list() const { return m_list; }
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* locationEdit() const { return m_location; }

    void accept() override;

private:
    void makeSourceList();
    void layOut();
    void connectControls();
    // The row the profile remembers, or the song row when a song is forced.
    void selectStartRow();
    void selectRow(int row);
    void updateLocation();
    void browse();

    IProfile& m_profile;
    IPrompt& m_prompt;
    const SetDocument& m_set;
    bool m_forcedSong = false;
    int m_kind = 0;
    std::string m_setLocation;
    std::string m_songLocation;
    std::filesystem::path m_path;
    std::filesystem::path m_templatePath;
    // The song behind each row from 2 on.
    std::vector<std::filesystem::path> m_sources;
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_location = nullptr;
    QCheckBox* m_addToSet = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace rz
