#pragma once

#include <QDialog>

#include <filesystem>

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;

namespace rz {

class IProfile;
class IPrompt;
class SetDocument;

// "New...": what to create (an empty set or an empty song), its name and
// where. It only chooses; the caller creates from kind() and path().
class CNewSongDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 281;
    static constexpr int kAddToSetId = 1249;

    // `forcedSong`: the caller wants a song.
    CNewSongDlg(IProfile& profile, IPrompt& prompt, const SetDocument& set, bool forcedSong,
                QWidget* parent = nullptr);

    int kind() const { return m_kind; }
    const std::filesystem::path& path() const { return m_path; }
    bool addToSet() const;

    QListWidget* list() const { return m_list; }
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* locationEdit() const { return m_location; }

    void accept() override;

private:
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
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_location = nullptr;
    QCheckBox* m_addToSet = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace rz
