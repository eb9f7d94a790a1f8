#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class LimitedTextEdit;
class SettingsStore;
class SystemFolders;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The settings dialog: automatic Video CD play at start-up, where captures go, the caption
// written onto them, and the bookmark's path. Its working values are five fields that the
// controls' click handling keeps; "Save setting " stores them, "Cancel" drops them. The capture
// chain also loads it without showing it, to read the destination path Pathtxt.
class Settingfrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidthTwips = 5520;
    static constexpr int ClientHeightTwips = 5280;
    static constexpr int CaptionMaxLength = 95;

    struct Services {
        SettingsStore& settings;
        const SystemFolders& folders;
        // Sets the main window's OS-version caption afresh and returns it; without it the
        // caption is asked of `folders`.
        std::function<QString()> refreshOsVersion;
    };

    explicit Settingfrm(Services services, QWidget* parent = nullptr);
    ~Settingfrm() override;

    void Form_Load();
    // Loaded and not yet closed.
    bool isLoaded() const { return m_loaded && !m_closed; }

    void Okaycmd_Click();
    void Cancelcmd_Click();

    QCheckBox* Check1;
    QGroupBox* Frame1;
    QRadioButton* Option1; // desktop file
    QRadioButton* Option3; // documents folder, time-stamped
    QRadioButton* Option2; // wallpaper
    QLabel* pictext;
    LimitedTextEdit* TxtCopyrightsett;
    QGroupBox* Frame2;
    QLabel* Label1;
    QLabel* labpath;
    QPushButton* Okaycmd;
    QPushButton* Cancelcmd;

    QString Pathtxt; // capture destination
    QString Autotxt = QStringLiteral("0");
    QString Desktxt = QStringLiteral("0");
    QString Dokutxt = QStringLiteral("0");
    QString Walltxt = QStringLiteral("0");

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void setTopmost(bool onTop);
    void Check1_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    QString stored(const char* key) const;

    Services m_services;
    bool m_loaded = false;
    bool m_closed = false;
};
