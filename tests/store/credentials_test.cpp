#include <gtest/gtest.h>

#include <sys/stat.h>

#include <vector>

#include "platform/settings_store.h"
#include "store/credentials.h"
#include "support/temp_folder.h"

TEST(Scramble, KnownAnswersAndRoundTrips)
{
    EXPECT_EQ(qk::scramble("password"), "8D9442EBD513E314");
    EXPECT_EQ(qk::scramble("correct horse"), "9E9A43EAC71FE5508E2FFF9015");
    EXPECT_EQ(qk::scramble(""), "");
    EXPECT_EQ(qk::unscramble("8d9442ebd513e314"), "password") << "lower-case digits read too";
    for (const std::string& pw : std::vector<std::string>{"password", "a", "P@ss w0rd&=%", "\xE9t\xE9-caf\xE9-12345",
                                 std::string(255, 'x')}) {
        EXPECT_EQ(qk::unscramble(qk::scramble(pw)), pw);
    }
}

TEST(Scramble, OddOrBrokenHexNeverCrashes)
{
    EXPECT_EQ(qk::unscramble("8D9442EBD513E3145"), "password") << "a trailing half digit is dropped";
    EXPECT_EQ(qk::unscramble("8D94zz"), "pa") << "reading stops at the first non-digit pair";
    EXPECT_EQ(qk::unscramble("not hex at all"), "");
    // A byte that unscrambles to zero ends the text: 0x8D is 'p' ^ keystream[0].
    EXPECT_EQ(qk::unscramble("FD9442"), "");
}

namespace {

class SavedLogin : public ::testing::Test {
protected:
    qk::test::TempFolder folder;
    qk::SettingsStore settings{folder.path()};
    qk::Session session;
};

}  // namespace

TEST_F(SavedLogin, SaveAndLoadRoundTripWithOwnerOnlyFiles)
{
    session.email = "ann@example.com";
    session.password = "password";
    ASSERT_EQ(qk::saveCredentials(settings, session), 1);
    EXPECT_EQ(settings.readValue(qk::kSettingsKey, "email"), "ann@example.com");
    EXPECT_EQ(settings.readValue(qk::kSettingsKey, "password"), "8D9442EBD513E314");

    const auto keyFolder = settings.keyFolder(qk::kSettingsKey);
    EXPECT_EQ(keyFolder, folder.path() / "Software" / "Varnel Software" / "VNPurchase");
    for (const char* name : {"email", "password"}) {
        struct stat st {};
        ASSERT_EQ(::stat((keyFolder / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }

    qk::Session loaded;
    EXPECT_EQ(qk::loadCredentials(settings, loaded), 1);
    EXPECT_EQ(loaded.email, "ann@example.com");
    EXPECT_EQ(loaded.password, "password");
    EXPECT_TRUE(loaded.hasLogin);

    EXPECT_EQ(qk::deleteCredentials(settings), 1);
    EXPECT_FALSE(settings.readValue(qk::kSettingsKey, "email"));
    EXPECT_FALSE(settings.readValue(qk::kSettingsKey, "password"));
    EXPECT_EQ(qk::deleteCredentials(settings), 1) << "also when nothing is stored";
}

TEST_F(SavedLogin, UnusableOrMissingLoginsLeaveTheSessionLoggedOut)
{
    EXPECT_EQ(qk::loadCredentials(settings, session), 0) << "no key at all";
    EXPECT_EQ(qk::deleteCredentials(settings), 1);

    ASSERT_TRUE(settings.createKey(qk::kSettingsKey));
    session.email = "ann@x.org";
    session.password = "leftover-password";
    EXPECT_EQ(qk::loadCredentials(settings, session), -1) << "key without values";
    EXPECT_TRUE(session.email.empty());
    EXPECT_TRUE(session.password.empty());
    EXPECT_FALSE(session.hasLogin);

    settings.writeValue(qk::kSettingsKey, "email", "a@b.c");  // 5 characters
    settings.writeValue(qk::kSettingsKey, "password", qk::scramble("password"));
    EXPECT_EQ(qk::loadCredentials(settings, session), -1);
    EXPECT_TRUE(session.email.empty());
    EXPECT_TRUE(session.password.empty());

    settings.writeValue(qk::kSettingsKey, "email", "ann@example.com");
    settings.writeValue(qk::kSettingsKey, "password", "");
    EXPECT_EQ(qk::loadCredentials(settings, session), -1) << "an empty password is not unscrambled";

    settings.writeValue(qk::kSettingsKey, "password", "garbage!garbage!garbage!");
    EXPECT_EQ(qk::loadCredentials(settings, session), -1);
    EXPECT_FALSE(session.hasLogin);
}

TEST_F(SavedLogin, LoadNeedsAnEmailOfSixAndAPasswordOfEightCharacters)
{
    ASSERT_TRUE(settings.createKey(qk::kSettingsKey));
    const struct {
        const char* email;
        const char* password;
        int expected;
    } cases[] = {{"a@b.cd", "12345678", 1},
                 {"a@b.cd", "1234567", -1},
                 {"a@b.c", "12345678", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.email) + " / " + c.password);
        settings.writeValue(qk::kSettingsKey, "email", c.email);
        settings.writeValue(qk::kSettingsKey, "password", qk::scramble(c.password));
        qk::Session loaded;
        EXPECT_EQ(qk::loadCredentials(settings, loaded), c.expected);
        EXPECT_EQ(loaded.hasLogin, c.expected == 1);
        EXPECT_EQ(loaded.email, c.expected == 1 ? c.email : "");
        EXPECT_EQ(loaded.password, c.expected == 1 ? c.password : "");
    }
}

TEST_F(SavedLogin, StoredValuesReadAsTheirFirst255Bytes)
{
    ASSERT_TRUE(settings.createKey(qk::kSettingsKey));
    const std::string longEmail = std::string(300, 'e') + "@example.com";
    settings.writeValue(qk::kSettingsKey, "email", longEmail);
    settings.writeValue(qk::kSettingsKey, "password", qk::scramble(std::string(200, 'p')));
    EXPECT_EQ(qk::loadCredentials(settings, session), 1);
    EXPECT_EQ(session.email, std::string(255, 'e'));
    // 400 stored digits: the first 255 give 127 bytes.
    EXPECT_EQ(session.password, std::string(127, 'p'));
}

// Found by the settings fuzzer: this 300-byte input, its first half saved as the email and
// its second as the password, came back with a 127-byte password (the stored 300 hex
// digits read through the 255-byte buffer). A login that cannot read back whole is not
// saved, and no older saved login is left to stand in for it.
TEST_F(SavedLogin, ALoginThatWouldReadBackCutIsNotSavedAndLeavesNoOlderOne)
{
    std::string input = "/home/pilot/";
    for (int i = 0; i < 16; ++i)
        input += "T\xC3\xA9l\xC3\xA9" "chargements/";
    ASSERT_EQ(input.size(), 300u);

    session.email = "old@example.com";
    session.password = "oldpassword";
    ASSERT_EQ(qk::saveCredentials(settings, session), 1);

    session.email = input.substr(0, 150);
    session.password = input.substr(150);
    EXPECT_FALSE(qk::storedLogin(session).has_value());
    EXPECT_EQ(qk::saveCredentials(settings, session), -1);
    EXPECT_FALSE(settings.readValue(qk::kSettingsKey, "email"));
    EXPECT_FALSE(settings.readValue(qk::kSettingsKey, "password"));
    qk::Session loaded;
    EXPECT_EQ(qk::loadCredentials(settings, loaded), -1) << "no login at all, not the old one";

    // The longest password that fits (127 bytes) and one with a NUL byte.
    session.password = std::string(127, 'p');
    ASSERT_EQ(qk::saveCredentials(settings, session), 1);
    ASSERT_EQ(qk::loadCredentials(settings, loaded), 1);
    EXPECT_EQ(loaded.email, session.email);
    EXPECT_EQ(loaded.password, session.password);
    session.password = std::string("pass\0word", 9);
    EXPECT_EQ(qk::saveCredentials(settings, session), -1);
}

TEST(StoredLogin, TakenFromTheValuesAsReadWithoutTheStore)
{
    qk::Session session;
    EXPECT_EQ(qk::takeStoredCredentials(std::string("ann@example.com"), qk::scramble("password"), session), 1);
    EXPECT_EQ(session.password, "password");
    EXPECT_TRUE(session.hasLogin);

    qk::Session cut;
    EXPECT_EQ(qk::takeStoredCredentials(std::string(300, 'e'), qk::scramble("password"), cut), 1);
    EXPECT_EQ(cut.email, std::string(255, 'e')) << "read through the 255-byte buffer";

    qk::Session missing;
    missing.password = "kept-password";
    EXPECT_EQ(qk::takeStoredCredentials(std::string("ann@example.com"), std::nullopt, missing), 1)
        << "no stored password keeps the session's";
    EXPECT_EQ(qk::takeStoredCredentials(std::nullopt, std::nullopt, missing), -1);
    EXPECT_TRUE(missing.email.empty() && missing.password.empty());
}
