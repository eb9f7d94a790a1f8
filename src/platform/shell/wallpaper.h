#pragma once

#include <QString>
#include <functional>

// Makes a picture the desktop's wallpaper.
class Wallpaper {
public:
    // Called once, later, with whether some method set the wallpaper.
    using Done = std::function<void(bool set)>;
    virtual ~Wallpaper() = default;
    virtual void SetWallpaper(const QString& path, Done done) = 0;
};
