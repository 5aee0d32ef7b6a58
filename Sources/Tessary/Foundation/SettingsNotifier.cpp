#include "Foundation/SettingsNotifier.h"

SettingsNotifier& SettingsNotifier::instance() {
    // Never destroyed: receivers may outlive static destruction order.
    static SettingsNotifier* notifier = new SettingsNotifier;
    return *notifier;
}
