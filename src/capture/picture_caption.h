#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <functional>

class SettingsStore;
class QWidget;

// The caption line of a captured picture: the bitmap is loaded, a black strip is added below
// it, the caption is written into the strip in yellow, and the result replaces the bitmap with
// the mark 'p' in its last byte. It works on an image of its own and shows nothing on screen.
class PictureCaption {
public:
    enum Alignment { Left = 1, Center = 2, Right = 3 };
    // Saved: the file holds the captioned picture. NoPicture: no path, or a file that is not a
    // picture that could be loaded; nothing was written. CannotWrite: the file is left as it was.
    enum class Result { Saved, NoPicture, CannotWrite };
    using Messenger = std::function<void(const QString& text)>;

    // Lengths of the strip and the text's place in it, in twips of the picture's pixels.
    static constexpr int StripTwips = 300;
    static constexpr int TextAboveStripBottomTwips = 290;
    static constexpr int RightMarginTwips = 50;
    static constexpr char FileMark = 'p';
    static inline const QString NoPictureMessage = QStringLiteral("Please load a picture first");

    // A colour value in the blue-green-red order of stored colours: 0xFFFF is yellow.
    static QColor fromBgr(quint32 value);

    // `messageParent` owns the message box shown for a missing path.
    explicit PictureCaption(const SettingsStore& settings, QWidget* messageParent = nullptr);

    // Captions the bitmap at `path` with the stored caption text, centred.
    Result CaptionPicture(const QString& path);
    // Draws the caption on the loaded picture with the current alignment and saves it.
    Result CmdApply_Click();

    // Replaces how the message is shown (tests).
    void setMessenger(Messenger messenger) { m_message = std::move(messenger); }
    // The font the caption is measured and drawn in; the window font in pixels by default.
    void setFont(const QFont& font) { m_font = font; }
    QFont font() const { return m_font; }

    QImage picMain; // the picture with its strip and caption, as saved
    QString TxtCopyright;
    QString lzFilename;
    int Pic_Height = 0;
    int Pic_Width = 0;
    bool Done = false;
    int CaptionAlign = Center;
    QColor CaptionBack = Qt::black;
    QColor CaptionFore = fromBgr(0xFFFF);

private:
    void drawCaption(const QString& caption);
    int textLeft(int textWidthPixels) const;
    Result SaveCaptioned();

    const SettingsStore& m_settings;
    QImage m_picture; // as loaded, so that a second caption replaces the first
    QFont m_font;
    Messenger m_message;
};
