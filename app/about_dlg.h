#pragma once

#include <QDialog>
#include <QSplashScreen>

class QCheckBox;
class QLabel;
class QPushButton;

namespace rz {

class TipOfTheDay;

// "DEVU Rizoraz® DO4 (release 1.02.03)" for 10203.
QString aboutVersionLine(int version);
// Underscores, each `underscoreWidth` wide, enough to reach the address's
// width less 2 pixels; at least one.
int underscoreCount(int addressWidth, int underscoreWidth);

// Help > About: the version line and, when the program has one, the
// maker's address underlined by a run of underscores.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(int version, const QString& homepage, QWidget* parent = nullptr);

    QLabel* versionLabel() const { return m_version; }
    QLabel* addressLabel() const { return m_address; }
    QLabel* underscoreLabel() const { return m_underscores; }

private:
    QLabel* m_version = nullptr;
    QLabel* m_address = nullptr;
    QLabel* m_underscores = nullptr;
};

// The picture shown while the program starts: on top, centred, gone after
// its show time (kShowMs unless a test shortens it) or at a click; nothing
// waits for it.
class CSplashWnd : public QSplashScreen {
    Q_OBJECT
public:
    static constexpr int kShowMs = 4000;

    explicit CSplashWnd(int showMs = kShowMs);
    int showMs() const { return m_showMs; }
    // Shows it and starts its timer; false when there is no screen.
    bool Create();

private:
    int m_showMs;
};

// Help > Tip of the Day, and the tip at start-up.
class CTipDlg : public QDialog {
    Q_OBJECT
public:
    CTipDlg(TipOfTheDay& tips, QWidget* parent = nullptr);

    QLabel* tipLabel() const { return m_tip; }
    QCheckBox* showAtStartup() const { return m_startup; }
    QPushButton* nextTip() const { return m_next; }

    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect tipArea() const;

    TipOfTheDay& m_tips;
    QLabel* m_tip = nullptr;
    QCheckBox* m_startup = nullptr;
    QPushButton* m_next = nullptr;
};

} // namespace rz
