#include "media_files/drive_list.h"

#include <QSignalBlocker>

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::onCurrentIndexChanged);
}

void DriveList::setDrives(const QList<DriveEntry>& drives)
{
    m_drives = drives;
    {
        const QSignalBlocker quiet(this);
        clear();
        for (const DriveEntry& drive : drives)
            addItem(drive.label, drive.root);
    }
    showDriveOf(m_folder);
}

void DriveList::showDriveOf(const QString& folder)
{
    m_folder = folder;
    if (m_folder.isEmpty())
        return;
    const int index = findData(driveOfFolder());
    if (index < 0)
        return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

QString DriveList::driveOfFolder() const
{
    QStringList roots;
    for (const DriveEntry& drive : m_drives)
        roots << drive.root;
    return MountedVolumes::driveOf(m_folder, roots);
}

void DriveList::onCurrentIndexChanged(int index)
{
    if (index < 0)
        return;
    const QString root = itemData(index).toString();
    if (MountedVolumes::driveUsable(root))
        emit driveChosen(root);
    else
        showDriveOf(m_folder);
}

void DriveList::focusInEvent(QFocusEvent* event)
{
    // Only a drive other than the folder's moves the chooser to its root.
    const QString root = currentData().toString();
    if (!root.isEmpty() && root != driveOfFolder() && MountedVolumes::driveUsable(root))
        emit driveChosen(root);
    QComboBox::focusInEvent(event);
}
