#pragma once

#include "capture/capture_chain.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "settings/settings_keys.h"

#include <QTemporaryDir>

// The main window on fakes, playing one file, with the desktop, documents and program data
// folders in a temporary folder and one destination chosen in the settings.
struct CaptureRig {
    explicit CaptureRig(const char* destinationKey = SettingsKeys::Screenshot);

    // Loads the window and plays the file; the fakes can be changed until then.
    Playerfrm& start();
    CaptureChain& chain() { return fake.window().capture(); }
    // The capture command from its button, then waits until the chain has ended.
    bool capture(int timeoutMs = 5000);

    QString desktop() const { return root.filePath("Desktop"); }
    QString documents() const { return root.filePath("Documents"); }
    QString windowsDir() const { return root.filePath("Windows"); }
    // Every file under the temporary folder, relative to it, sorted.
    QStringList filesWritten() const;

    QTemporaryDir root;
    FileFolder media{{"clip.mpg"}};
    FakeRig fake;
};
