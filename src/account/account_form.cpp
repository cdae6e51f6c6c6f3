#include "account/account_form.h"

#include "account/country_list.h"
#include "platform/secret_text.h"
#include "store/reply.h"

namespace qk {

namespace {

// Room for the longest body (every field at its limit, encoded three bytes a character),
// so the text holding the passwords is never moved and left behind in freed memory.
constexpr std::size_t kBodyCapacity = 8192;

constexpr const char* kEmailsDifferText =
    "Your email addresses do not match. Please check your entries and try again.";
constexpr const char* kPasswordsDifferText =
    "Your passwords do not match. Please check your entries and try again.";
constexpr const char* kPasswordSignsText =
    "Your password may not contain % or &. Please choose another password.";
constexpr const char* kCountryMissingUpdateText =
    "Please select a country from the list. Note: If you created an account via the website "
    "your country may not be pre-loaded here.";
constexpr const char* kCountryMissingCreateText = "Please select a country from the list.";

// One edit as the form reads it: the field name of its messages, how much of it is read
// and how much it must hold.
struct FieldRule {
    const char* name;
    std::size_t readLimit;
    std::size_t minimum;
};

constexpr FieldRule kFirstName{"First Name", 149, 2};
constexpr FieldRule kLastName{"Last Name", 149, 2};
constexpr FieldRule kStreet{"Main Billing Street Address", 254, 2};
constexpr FieldRule kCity{"City", 99, 2};
constexpr FieldRule kStateProvince{"State/Province", 99, 2};
constexpr FieldRule kZipCode{"Zip Code", 19, 2};
constexpr FieldRule kEmail{"Email", 149, 5};
constexpr FieldRule kRepeatEmail{"Repeat Email", 149, 5};
constexpr FieldRule kPassword{"Password", 19, 8};
constexpr FieldRule kRepeatPassword{"Repeat Password", 19, 8};
constexpr FieldRule kUserName{"User Name", 23, 2};
constexpr FieldRule kCurrentPassword{"Current Password", 19, 2};
constexpr std::size_t kCountryReadLimit = 254;

std::string invalidEntry(const char* name, const char* advice)
{
    return std::string("Invalid entry for \"") + name + "\". " + advice;
}

// Why a field cannot be sent, or nothing. An edit takes one character more than the form
// reads; such a text is refused rather than sent cut (a cut password would lock the
// customer out), as is a character the store's code page has no byte for.
std::optional<FormRefusal> checkField(const FormText& field, const FieldRule& rule)
{
    if (!field.encodable) {
        return FormRefusal{invalidEntry(rule.name, "Please use only characters of Western European "
                                                   "languages in this field."),
                           kInvalidFieldCaption};
    }
    if (field.text.size() > rule.readLimit) {
        return FormRefusal{invalidEntry(rule.name, ("Please make sure this field contains no more than " +
                                                    std::to_string(rule.readLimit) + " characters.")
                                                       .c_str()),
                           kInvalidFieldCaption};
    }
    if (field.text.size() < rule.minimum) {
        return FormRefusal{
            invalidEntry(rule.name, "Please make sure this field contains enough characters."),
            kInvalidFieldCaption};
    }
    return std::nullopt;
}

AccountRequest refused(FormRefusal refusal)
{
    AccountRequest request;
    request.refusal = std::move(refusal);
    return request;
}

}  // namespace

AccountForm::~AccountForm()
{
    wipeText(password.text);
    wipeText(repeatPassword.text);
    wipeText(currentPassword.text);
}

AccountRequest::~AccountRequest()
{
    wipeText(body);
}

AccountRequest buildAccountRequest(const AccountForm& form, AccountMode mode,
                                   std::string_view loginEmail)
{
    const bool update = mode == AccountMode::Update;
    AccountRequest request;
    std::string& body = request.body;
    body.reserve(kBodyCapacity);
    if (update)
        body.append("action=update&login=").append(loginEmail);
    else
        body.append("action=new");

    const std::pair<const FormText*, const FieldRule*> billing[] = {
        {&form.firstName, &kFirstName}, {&form.lastName, &kLastName},
        {&form.street, &kStreet},       {&form.city, &kCity},
        {&form.stateProvince, &kStateProvince}, {&form.zipCode, &kZipCode},
    };
    const char* billingKeys[] = {"&Name=", "&LastName=", "&Address1=", "&City=", "&StateProv=",
                                 "&Zipcode="};
    for (std::size_t i = 0; i < std::size(billing); ++i) {
        if (auto refusal = checkField(*billing[i].first, *billing[i].second))
            return refused(std::move(*refusal));
        body.append(billingKeys[i]).append(formEncode(billing[i].first->text));
    }

    if (auto refusal = checkField(form.email, kEmail))
        return refused(std::move(*refusal));
    body.append("&Email=").append(formEncode(form.email.text));
    if (auto refusal = checkField(form.repeatEmail, kRepeatEmail))
        return refused(std::move(*refusal));
    if (form.repeatEmail.text != form.email.text)
        return refused({kEmailsDifferText, kInvalidEntryCaption});

    // Updating keeps the old password when no new one is entered.
    if (!(update && form.password.text.empty())) {
        if (auto refusal = checkField(form.password, kPassword))
            return refused(std::move(*refusal));
        if (auto refusal = checkField(form.repeatPassword, kRepeatPassword))
            return refused(std::move(*refusal));
        if (form.repeatPassword.text != form.password.text)
            return refused({kPasswordsDifferText, kInvalidEntryCaption});
        // Sent as it stands, "&" would end the value early and "%" may be decoded: the
        // account would get a password other than the one typed.
        if (form.password.text.find_first_of("%&") != std::string::npos)
            return refused({kPasswordSignsText, kInvalidEntryCaption});
        body.append("&Password1=").append(form.password.text);
    }

    if (auto refusal = checkField(form.userName, kUserName))
        return refused(std::move(*refusal));
    body.append("&UserName=").append(formEncode(form.userName.text));

    if (update) {
        if (auto refusal = checkField(form.currentPassword, kCurrentPassword))
            return refused(std::move(*refusal));
        body.append("&Password=").append(form.currentPassword.text);
    }

    if (!isCountryEntry(form.countryIndex))
        return refused({update ? kCountryMissingUpdateText : kCountryMissingCreateText,
                        kInvalidEntryCaption});
    body.append("&Country=").append(
        formEncode(std::string_view(form.countryText).substr(0, kCountryReadLimit)));
    return request;
}

std::optional<AccountProfile> parseAccountView(std::string_view reply)
{
    if (countFields(reply, '\x01') != 9)
        return std::nullopt;
    const FieldList fields = splitFields(reply, '\x01');
    // A field longer than its edit takes is still the customer's stored value (the store
    // may allow more than this form does): it is shown whole, and the form's length rule
    // asks for a shorter one when he submits.
    AccountProfile profile;
    for (std::size_t i = 0; i < profile.fields.size(); ++i)
        profile.fields[i] = fields[i + 1];
    return profile;
}

}  // namespace qk
