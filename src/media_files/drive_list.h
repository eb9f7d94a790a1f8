#pragma once

#include "platform/files/mounted_volumes.h"

#include <QComboBox>
#include <QList>
#include <QString>

// The chooser's list of drives, each item's root folder in its data. It shows the drive of
// the folder it was last given and reports only drives that can be opened now: any other
// choice quietly gives way to that folder's drive again.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    // Replaces the drives; the folder's drive is shown again.
    void setDrives(const QList<DriveEntry>& drives);
    QList<DriveEntry> drives() const { return m_drives; }
    // Shows the drive `folder` is on, as no choice of the user's (nothing while it is empty).
    void showDriveOf(const QString& folder);

signals:
    // The user picked a drive, or came back to the list while it showed another drive than
    // the folder's; its root can be opened.
    void driveChosen(const QString& root);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void onCurrentIndexChanged(int index);
    QString driveOfFolder() const;

    QList<DriveEntry> m_drives;
    QString m_folder;
};
