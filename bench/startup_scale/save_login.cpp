// Saves a login in a settings folder the way "Stay logged in" does, so the agent starts
// logged in without a dialog: qk-bench-save-login SETTINGS_DIR EMAIL PASSWORD
#include <cstdio>

#include "store/session.h"
#include "platform/settings_store.h"
#include "store/credentials.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: qk-bench-save-login SETTINGS_DIR EMAIL PASSWORD\n");
        return 2;
    }
    qk::SettingsStore settings{argv[1]};
    qk::Session session;
    session.email = argv[2];
    session.password = argv[3];
    return qk::saveCredentials(settings, session) == 1 ? 0 : 1;
}
