// The account form as data: the country list, the request body and its refusals, and the
// store's view of an account.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "account/account_form.h"
#include "account/country_list.h"

namespace {

using qk::AccountForm;
using qk::AccountMode;
using qk::buildAccountRequest;

// A form that passes every rule; tests change one field at a time.
void fillValidForm(AccountForm& form)
{
    form.firstName.text = "Ana";
    form.lastName.text = "Souza";
    form.street.text = "Rua Augusta 12";
    form.city.text = "S\xE3o Paulo";
    form.stateProvince.text = "SP";
    form.zipCode.text = "01305-000";
    form.email.text = "ana+fly@example.com";
    form.repeatEmail.text = "ana+fly@example.com";
    form.password.text = "voar-alto9";
    form.repeatPassword.text = "voar-alto9";
    form.userName.text = "ana_s";
    form.countryIndex = 38;  // "Brazil"
    form.countryText = "Brazil";
}

std::string refusalOf(const AccountForm& form, AccountMode mode = AccountMode::Create)
{
    const qk::AccountRequest request = buildAccountRequest(form, mode, "old@example.com");
    if (!request.refusal)
        return "(sent)";
    EXPECT_TRUE(request.body.empty());
    return request.refusal->message;
}

TEST(CountryList, HasTheLeadingEntriesTheSeparatorAndTheAlphabeticalNames)
{
    const auto list = qk::countryList();
    ASSERT_EQ(list.size(), 248U);
    EXPECT_EQ(list[0], "Select your Country...");
    EXPECT_EQ(list[6], "United States");
    EXPECT_EQ(list[7], std::string(20, '-'));
    EXPECT_EQ(list[8], "Afghanistan");
    EXPECT_EQ(list[9], "Aland Islands");
    EXPECT_EQ(list[247], "Zimbabwe");
    EXPECT_EQ(list[38], "Brazil");
    EXPECT_NE(std::find(list.begin(), list.end(), "C\xF4te d'Ivoire"), list.end());
    // Alphabetical after the separator, comparing the accented letter as its base letter.
    for (std::size_t i = 9; i < list.size(); ++i) {
        std::string before(list[i - 1]);
        std::string after(list[i]);
        std::replace(before.begin(), before.end(), '\xF4', 'o');
        std::replace(after.begin(), after.end(), '\xF4', 'o');
        EXPECT_LT(before, after) << i;
    }
    EXPECT_FALSE(qk::isCountryEntry(0));
    EXPECT_FALSE(qk::isCountryEntry(7));
    EXPECT_FALSE(qk::isCountryEntry(248));
    EXPECT_TRUE(qk::isCountryEntry(1));
    EXPECT_TRUE(qk::isCountryEntry(247));
}

TEST(CountryList, StoredNamesSelectTheFirstEntryBeginningWithThemFromTheThirdOn)
{
    // From the third entry on, the alphabetical "Canada" comes before the leading one.
    EXPECT_EQ(qk::findCountryEntry("Canada"), 46);
    EXPECT_EQ(qk::findCountryEntry("united states"), 6);
    EXPECT_EQ(qk::findCountryEntry("GERMANY"), 2);
    EXPECT_EQ(qk::countryList()[static_cast<std::size_t>(qk::findCountryEntry("c\xD4te"))],
              "C\xF4te d'Ivoire");
    EXPECT_EQ(qk::findCountryEntry("Congo, The"), qk::findCountryEntry("Congo") + 1);
    EXPECT_EQ(qk::findCountryEntry("Atlantis"), -1);
    EXPECT_EQ(qk::findCountryEntry(""), -1);  // nothing stored selects nothing
}

TEST(AccountRequest, CreateBodyCarriesEveryFieldEncodedAndThePasswordAsItStands)
{
    AccountForm form;
    fillValidForm(form);
    const qk::AccountRequest request = buildAccountRequest(form, AccountMode::Create, "ignored");
    ASSERT_FALSE(request.refusal);
    EXPECT_EQ(request.body,
              "action=new&Name=Ana&LastName=Souza&Address1=Rua+Augusta+12&City=S%e3o+Paulo"
              "&StateProv=SP&Zipcode=01305-000&Email=ana%2bfly%40example.com"
              "&Password1=voar-alto9&UserName=ana_s&Country=Brazil");
}

TEST(AccountRequest, UpdateWithoutNewPasswordSendsOnlyTheCurrentOne)
{
    AccountForm form;
    fillValidForm(form);
    form.password.text.clear();
    form.repeatPassword.text = "left-over";  // ignored with the first edit empty
    form.currentPassword.text = "old&pass";
    const qk::AccountRequest request =
        buildAccountRequest(form, AccountMode::Update, "old+mail@example.com");
    ASSERT_FALSE(request.refusal);
    EXPECT_EQ(request.body.rfind("action=update&login=old+mail@example.com&Name=Ana", 0), 0U);
    EXPECT_EQ(request.body.find("&Password1="), std::string::npos);
    EXPECT_NE(request.body.find("&UserName=ana_s&Password=old&pass&Country=Brazil"), std::string::npos);
}

TEST(AccountRequest, LengthRulesNameTheFirstFieldThatFails)
{
    AccountForm form;
    fillValidForm(form);
    form.firstName.text = "A";
    form.city.text = "X";
    EXPECT_EQ(refusalOf(form), "Invalid entry for \"First Name\". Please make sure this field "
                               "contains enough characters.");
    form.firstName.text = "Al";
    EXPECT_EQ(refusalOf(form), "Invalid entry for \"City\". Please make sure this field "
                               "contains enough characters.");
    form.city.text = "Rio";
    form.stateProvince.text = "";
    EXPECT_NE(refusalOf(form).find("\"State/Province\""), std::string::npos);
    form.stateProvince.text = "RJ";
    form.email.text = form.repeatEmail.text = "a@b.";
    EXPECT_NE(refusalOf(form).find("\"Email\""), std::string::npos);
    form.email.text = form.repeatEmail.text = "a@b.c";
    form.password.text = form.repeatPassword.text = "seven77";
    EXPECT_NE(refusalOf(form).find("\"Password\""), std::string::npos);
    // Updating with a new password still holds it to the rule.
    form.currentPassword.text = "current1";
    EXPECT_NE(refusalOf(form, AccountMode::Update).find("\"Password\""), std::string::npos);
    form.password.text = form.repeatPassword.text = "eight888";
    form.currentPassword.text = "c";
    EXPECT_NE(refusalOf(form, AccountMode::Update).find("\"Current Password\""), std::string::npos);
    EXPECT_EQ(refusalOf(form, AccountMode::Create), "(sent)");  // not asked for when creating
}

TEST(AccountRequest, RepeatedEntriesMustMatch)
{
    AccountForm form;
    fillValidForm(form);
    form.repeatEmail.text = "Ana+fly@example.com";
    EXPECT_EQ(refusalOf(form),
              "Your email addresses do not match. Please check your entries and try again.");
    form.repeatEmail.text = form.email.text;
    form.repeatPassword.text = "voar-alto8";
    EXPECT_EQ(refusalOf(form), "Your passwords do not match. Please check your entries and try again.");
}

TEST(AccountRequest, CountryMustBeAnEntryOtherThanThePromptAndTheSeparator)
{
    AccountForm form;
    fillValidForm(form);
    form.countryIndex = 7;
    form.countryText = std::string(20, '-');
    EXPECT_EQ(refusalOf(form), "Please select a country from the list.");
    form.countryIndex = 0;
    form.currentPassword.text = "current1";
    EXPECT_EQ(refusalOf(form, AccountMode::Update),
              "Please select a country from the list. Note: If you created an account via the "
              "website your country may not be pre-loaded here.");
    form.countryIndex = -1;
    EXPECT_EQ(refusalOf(form), "Please select a country from the list.");
}

TEST(AccountRequest, RefusesWhatWouldReachTheStoreOtherThanTyped)
{
    AccountForm form;
    fillValidForm(form);
    form.city.encodable = false;  // a character without a Windows-1252 byte
    EXPECT_EQ(refusalOf(form), "Invalid entry for \"City\". Please use only characters of Western "
                               "European languages in this field.");
    form.city.encodable = true;
    // An edit holds one character more than the form reads: never sent cut.
    form.password.text = form.repeatPassword.text = std::string(20, 'p');
    EXPECT_EQ(refusalOf(form), "Invalid entry for \"Password\". Please make sure this field contains "
                               "no more than 19 characters.");
    form.password.text = form.repeatPassword.text = std::string(19, 'p');
    EXPECT_EQ(refusalOf(form), "(sent)");
    // "&" would cut the password short on the wire, "%" may be decoded by the store.
    for (const char* password : {"fly&land99", "100%sure!"}) {
        form.password.text = form.repeatPassword.text = password;
        EXPECT_EQ(refusalOf(form), "Your password may not contain % or &. Please choose another password.");
    }
}

TEST(AccountView, NeedsExactlyNineFieldsOfAnyLength)
{
    const auto profile = qk::parseAccountView(
        "success\x01" "Alex\x01Pilot\x01" "1 Runway\x01" "Austin\x01TX\x01" "78701\x01United States\x01" "alex");
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->fields[0], "Alex");
    EXPECT_EQ(profile->fields[5], "78701");
    EXPECT_EQ(profile->fields[qk::kProfileCountry], "United States");
    EXPECT_EQ(profile->fields[7], "alex");

    EXPECT_FALSE(qk::parseAccountView("success\x01" "a\x01" "b\x01" "c\x01" "d\x01" "e\x01" "f\x01" "g"));
    EXPECT_FALSE(qk::parseAccountView(
        "success\x01" "a\x01" "b\x01" "c\x01" "d\x01" "e\x01" "f\x01" "g\x01" "h\x01" "i"));
    EXPECT_FALSE(qk::parseAccountView(""));
    // A stored value longer than its edit is kept whole: the form asks for a shorter one.
    const std::string longZip(21, '9');
    const auto longer = qk::parseAccountView("success\x01" "a\x01" "b\x01" "c\x01" "d\x01" "e\x01" +
                                             longZip + "\x01" "g\x01" "h");
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->fields[5], longZip);
    EXPECT_TRUE(qk::parseAccountView("success\x01" "a\x01" "b\x01" "c\x01" "d\x01" "e\x01" +
                                     longZip.substr(1) + "\x01" "g\x01" "h"));
}

}  // namespace
