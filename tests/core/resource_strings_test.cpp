// The numbered message table: every number is there, nothing else is, and the texts that
// callers format or compare read exactly as they must.
#include "core/resource_strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/exception.h"

namespace qb {
namespace {

// Kept by hand, independently of the table, from the list of messages the system shows.
const std::vector<int> kExpectedNumbers = {
    65152, 65153, 65154, 65155, 65156, 65157,
    65168, 65169, 65170, 65171, 65172, 65173, 65174, 65175, 65176, 65177, 65178, 65179,
    65180, 65181, 65182, 65183, 65184, 65185, 65186, 65187, 65188, 65189, 65190, 65191,
    65192, 65193, 65194, 65195, 65196, 65197, 65198, 65199, 65200, 65201, 65202, 65203,
    65204, 65205, 65206, 65207, 65208, 65209, 65210, 65211, 65212, 65213, 65214, 65215,
    65216, 65218, 65219, 65220, 65221,
    65226, 65227, 65228, 65229, 65230, 65231,
    65242, 65243, 65244, 65245, 65247,
    65295, 65299, 65300};

TEST(ResourceStringsTest, HoldsExactlyTheKnownNumbers) {
  ASSERT_EQ(kExpectedNumbers.size(), 73u);
  for (int id = 65000; id <= 65400; ++id) {
    bool expected =
        std::find(kExpectedNumbers.begin(), kExpectedNumbers.end(), id) != kExpectedNumbers.end();
    EXPECT_EQ(HasResString(id), expected) << id;
    if (expected) {
      EXPECT_GT(std::string(ResString(id)).size(), 0u) << id;
    }
  }
}

TEST(ResourceStringsTest, UnknownNumberRaises) {
  for (int id : {0, -1, 65151, 65217, 65246, 65301}) {
    EXPECT_FALSE(HasResString(id));
    EXPECT_THROW(ResString(id), Exception) << id;
  }
  try {
    ResString(65217);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("65217"), std::string::npos);
  }
}

TEST(ResourceStringsTest, TextsAreWordForWord) {
  struct Case {
    int id;
    const char* text;
  };
  const Case cases[] = {
      {kResOleError, "Ole Error. Errorcode: %d"},
      {kResDetailedError,
       "Exeption in Application: %s\r\n\r\n"
       "Component Name:   %s\r\n"
       "Component Type:    %s\r\n"
       "Method Name:         %s\r\n"
       "Address:                   %p\r\n\r\n"
       "Message:\r\n"
       "---------------\r\n"
       "%s\r\n\r\n"},
      {kResUnknownComponent, "Unknown"},
      {kResSuppressFurtherMessages, "\rSuppress Further Messages ?\r"},
      {kResLinkedToUncreatedForms,
       "Can't open the %s because it is linked to Components on other Forms that haven't been "
       "Created jet."},
      {kResDatabaseFileMissing,
       "Unable to connect to the Database. Database File '%s' does not exist or is presently not "
       "avaiable to the System."},
      {kResParamUnknownDataType,
       "SQL Parameter '%s' is of unknown Datatype. Propably this is an unbound Parameter which "
       "should be looked up in the Mastersource Dataset and the Mastersource Property has not "
       "been defined or You forgott to Assign a Value to this Parameter."},
      {kResStoredProcNameEmpty,  // no closing full stop
       "The StoredProcedureName Property cannot be empty if the Recordset Type is "
       "'rtStoredProcedure'"},
      {kResNewUserPasswordMismatch, "The Password and its Confirmation are not identical."},
      {kResPasswordConfirmationMismatch, "The Password and it's Confirmation are not identical."},
      {kResCaptionError, "Error"},
      {kResFieldValueOutOfRange,
       "%g is not a valid value for field '%s'. The allowed range is %g to %g"},
      {kResUnknownMciError, "Unknown error code"},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(ResString(c.id)), c.text) << c.id;
}

}  // namespace
}  // namespace qb
