#include "support/CaseName.h"
#include "transport/mime/AddressText.h"

#include <gtest/gtest.h>

namespace tervalo::transport {
namespace {

struct AddressCase {
    std::string name;
    QString field;
    QStringList addresses;  // as addressList splits the field
    bool valid;             // a list of valid mailboxes
};

class AddressListTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressListTest, splitsAndJudgesTheField) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(addressList(c.field), c.addresses);
    const std::optional<QString> warning = invalidAddressWarning(c.field);
    EXPECT_EQ(!warning.has_value(), c.valid) << (warning ? warning->toStdString() : std::string());
}

const QString kHotel = QStringLiteral("recepce hotel-dablice");

INSTANTIATE_TEST_SUITE_P(
    Fields, AddressListTest,
    ::testing::Values(
        AddressCase{"plain", QStringLiteral("dluznik@firma.cz"), {QStringLiteral("dluznik@firma.cz")}, true},
        AddressCase{"comma_list",
                    QStringLiteral("a@x.cz, b@y.cz"),
                    {QStringLiteral("a@x.cz"), QStringLiteral("b@y.cz")},
                    true},
        AddressCase{"semicolon_list_with_empty_entries",
                    QStringLiteral(" a@x.cz;;b@y.cz ; "),
                    {QStringLiteral("a@x.cz"), QStringLiteral("b@y.cz")},
                    true},
        AddressCase{"dot_atom_specials",
                    QStringLiteral("o'brien+upominky@mail.firma.co.uk"),
                    {QStringLiteral("o'brien+upominky@mail.firma.co.uk")},
                    true},
        AddressCase{"internationalised_domain",
                    QStringLiteral("info@žluťoučký-kůň.cz"),
                    {QStringLiteral("info@žluťoučký-kůň.cz")},
                    true},
        AddressCase{"punycode_domain",
                    QStringLiteral("info@xn--luouk-k-z2a6lsyxjlexh.cz"),
                    {QStringLiteral("info@xn--luouk-k-z2a6lsyxjlexh.cz")},
                    true},
        AddressCase{"words_not_an_address", kHotel, {kHotel}, false},
        AddressCase{"blank_inside",
                    QStringLiteral("dluz nik@firma.cz"),
                    {QStringLiteral("dluz nik@firma.cz")},
                    false},
        AddressCase{"no_dot_in_domain",
                    QStringLiteral("admin@localhost"),
                    {QStringLiteral("admin@localhost")},
                    false},
        AddressCase{"no_local_part", QStringLiteral("@firma.cz"), {QStringLiteral("@firma.cz")}, false},
        AddressCase{"two_at_signs", QStringLiteral("a@b@firma.cz"), {QStringLiteral("a@b@firma.cz")}, false},
        AddressCase{"dot_at_the_edge", QStringLiteral(".a@firma.cz"), {QStringLiteral(".a@firma.cz")}, false},
        AddressCase{"double_dot", QStringLiteral("a..b@firma.cz"), {QStringLiteral("a..b@firma.cz")}, false},
        AddressCase{"empty_label", QStringLiteral("a@firma..cz"), {QStringLiteral("a@firma..cz")}, false},
        AddressCase{"trailing_dot", QStringLiteral("a@firma.cz."), {QStringLiteral("a@firma.cz.")}, false},
        AddressCase{
            "hyphen_at_label_edge", QStringLiteral("a@-firma.cz"), {QStringLiteral("a@-firma.cz")}, false},
        AddressCase{
            "underscore_in_domain", QStringLiteral("a@fir_ma.cz"), {QStringLiteral("a@fir_ma.cz")}, false},
        AddressCase{"display_name_form",
                    QStringLiteral("Firma <a@firma.cz>"),
                    {QStringLiteral("Firma <a@firma.cz>")},
                    false},
        AddressCase{"accented_local_part",
                    QStringLiteral("účtárna@firma.cz"),
                    {QStringLiteral("účtárna@firma.cz")},
                    false},
        AddressCase{"control_character",
                    QStringLiteral("a@firma.cz\r\nBcc: b@x.cz"),
                    {QStringLiteral("a@firma.cz\r\nBcc: b@x.cz")},
                    false},
        AddressCase{"one_bad_in_a_list",
                    QStringLiteral("a@x.cz; ") + kHotel,
                    {QStringLiteral("a@x.cz"), kHotel},
                    false},
        AddressCase{"nothing_but_separators", QStringLiteral(" ; , "), {}, false},
        AddressCase{"empty", QString(), {}, false}),
    test::CaseName());

TEST(AddressList, theWarningNamesTheEntryAtFault) {
    EXPECT_EQ(invalidAddressWarning(QStringLiteral("a@x.cz, ") + kHotel),
              QStringLiteral("„recepce hotel-dablice“ není platná e-mailová adresa. Zadejte adresu ve tvaru "
                             "jmeno@domena.cz, více adres oddělte čárkou nebo středníkem."));
}

}  // namespace
}  // namespace tervalo::transport
