#include "settings/settings.h"

#include "platform/settings/settings_store.h"
#include "settings/product.h"
#include "settings/settings_keys.h"

namespace Settings {

QString defaultCaption()
{
    return QStringLiteral("This picture was captured using ") + Product::Title +
           QStringLiteral(" download at ") + Product::HomePage;
}

void seed(SettingsStore& store)
{
    if (store.Get(SettingsKeys::Pictextcopy).isEmpty())
        store.Save(SettingsKeys::Pictextcopy, defaultCaption());
    if (store.Get(SettingsKeys::Screenshot).isEmpty())
        store.Save(SettingsKeys::Screenshot, QStringLiteral("1"));
}

bool vcdAutoDetection(const SettingsStore& store)
{
    const QString value = store.Get(SettingsKeys::VcdAuto);
    return value.isEmpty() || value == QLatin1String("1");
}

} // namespace Settings
