// core/resource_strings: the text behind every message number. Holds data and a lookup only;
// formatting the patterns belongs to the callers.
#include "core/resource_strings.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "core/exception.h"

namespace qb {
namespace {

struct ResEntry {
  int id;
  const char* text;
};

// Sorted by number (checked below) so that lookup can bisect. "\r\n" in a text is a real
// carriage return and line feed: the messages are shown as they stand.
constexpr ResEntry kResTable[] = {
    {kResStoredProcNeedsDatabase, "The Property 'DAODatabase' must be defined to obtain the Stored Procedure Names from the Database."},
    {kResStoredProcDatabaseNotOpen, "Unable to open Database '%s'. Stored Procedure Names cannot be obtained from the Database."},
    {kResStoredProcDefsUnreadable, "Unable to obtain Stored Procedure Names. Stored Procedure definitions of Database '%s' cannot be read."},
    {kResStoredProcParamWithoutValue, "SQL Parameter '%s' of stored Procedure '%s' has no Value assigned to it. You must assign Values to all SQL Parameters before you can open RecordSet '%s'."},
    {kResNoIndexForFields, "No Index found that matches the Field(s): '%s'."},
    {kResDetailDelayWithoutMaster, "The DetailUpdateDelay property will only have effect on detail Recordsets. But this Recordset has not been connected to any Master recordset via it's MasterSource property."},
    {kResStoredProcNameEmpty, "The StoredProcedureName Property cannot be empty if the Recordset Type is 'rtStoredProcedure'"},
    {kResUnknownRecordSetType, "Unknown Record Set Type."},
    {kResUnknownLockStrategy, "Unknown Locking Strategy."},
    {kResFieldDefsUnavailable, "Unable to temporarily open the Recordset for obtaining the Field Definitions."},
    {kResCachedRecordCountNotAllowed, "The CachedRecordCount Property can only be used if the Recordset Type is not rtTable and the WorkspaceType is wtUseJet."},
    {kResLockEditedPagesNotAllowed, "The LockEditedPages Property can only be used with Recordsets of Type rtTable or rtQuery in a Workspace of Type wtUseJet."},
    {kResIndexNotAllowed, "The Index Property can only be used with Recordsets of Type: rtTable in a Workspace of Type: wtUseJet."},
    {kResOdbcUpdateCommandOption, "Exact One of the Options ouCriteriaDeleteInsert or ouCriteriaUpdate must be set in the ODBCUpdateOptions Property."},
    {kResOdbcUpdateCriteriaOption, "Exact One of the Options ouCriteriaKey or ouCriteriaModValues or ouCriteriaAllCols or ouCriteriaTimestamp must be set in the ODBCUpdateOptions Property."},
    {kResOdbcUpdateOptionsNotAllowed, "The ODBCUpdateOptions Property can only be used with Recordsets in a Workspace of Type 'wtUseODBC' with CursorType 'ctUseClientBatchCursor'."},
    {kResNoMatchNotAllowed, "The NoMatch Property can only be used with Recordsets of Type rtTable, rtQuery, rtStoredProcedure or rtSnapShot in a Workspace of Type wtUseJet."},
    {kResPercentPositionNotAllowed, "The PercentPosition Property can only be used if the Type of the Recordset is not rtUniDirectional."},
    {kResAbsolutePositionNotAllowed, "The AbsolutePosition Property can only be used with Recordsets of Type rtQuery, rtSnapShot or rtStoredProcedure."},
    {kResLocateNotSupported, "Locate only supported for Recordsets of Type rtTable, rtQuery, rtStoredProcedure and rtSnapshot"},
    {kResRequeryNotAllowed, "The Requery Method cannot be used for Recordsets of Type 'rtTable'."},
    {kResOperationJetOnly, "The Operation '%s' is only supported for Recordsets created in a Workspace of type 'wtUseJet'"},
    {kResDatabaseWrongWorkspaceType, "The %s can only be used for Databases in a Workspace of Type: %s"},
    {kResNoMasterId, "(No Master ID Defined)"},
    {kResTableNameFixedStoredProc, "The TableName property cannot be changed if the Type of the Recordset is rtStoredProcedure and the Recordset is Active."},
    {kResTableNameFixedTable, "The TableName property cannot be changed if the Type of the Recordset is rtTable and the Recordset is Active."},
    {kResRecordsetWrongWorkspaceType, "The %s can only be used for Recordsets in a Workspaces of Type: %s"},
    {kResRecordsetPropertyWhileActive, "The Property '%s' cannot be changed while the Recordset is Active"},
    {kResCircularDataLink, "Circular Data Link Reference."},
    {kResUnboundFieldNotFound, "The unbound Field '%s' could not be found in Recordset '%s' of Mastersource '%s'."},
    {kResMasterRecordsetClosed, "Master Recordset: %s is Closed."},
    {kResMasterSourceWithoutDataSet, "The DataSet Property of Master Source: %s has not been Defined."},
    {kResParamUnknownDataType, "SQL Parameter '%s' is of unknown Datatype. Propably this is an unbound Parameter which should be looked up in the Mastersource Dataset and the Mastersource Property has not been defined or You forgott to Assign a Value to this Parameter."},
    {kResRecordsetNotOpen, "The Recordset has not been opened."},
    {kResRecordsetNeedsDatabase, "The DAODatabase Property must be defined before opening the Record Set."},
    {kResRecordsetDatabaseNotOpen, "Unable to open Database '%s'. So the Recordset could not be opened either."},
    {kResTableNameEmpty, "The Tablename property cannot be empty if the Recordset Type is 'rtTable'."},
    {kResSqlStatementEmpty, "The SQL Statement cannot be empty if the Recordset Type is not 'rtTable'."},
    {kResOleError, "Ole Error. Errorcode: %d"},
    {kResDetailedError, "Exeption in Application: %s\r\n\r\nComponent Name:   %s\r\nComponent Type:    %s\r\nMethod Name:         %s\r\nAddress:                   %p\r\n\r\nMessage:\r\n---------------\r\n%s\r\n\r\n"},
    {kResUnknownComponent, "Unknown"},
    {kResSuppressFurtherMessages, "\rSuppress Further Messages ?\r"},
    {kResStreamInWriteMode, "Stream was opened in write Mode. Cannot perform read operation."},
    {kResStreamInReadMode, "Stream was opened in read Mode. Cannot perform write operation."},
    {kResSecondEngine, "There cannot be more than one DAOEngine in a Application"},
    {kResEnginePropertyWhileActive, "The Property '%s' cannot be changed while the DAOEngine is Active"},
    {kResWorkspaceWrongType, "The %s can only be used for Workspaces of Type: %s"},
    {kResWorkspacePropertyWhileActive, "The Property '%s' cannot be changed while the DAOWorkspace is Active"},
    {kResNoEngineObject, "Unable to create Workspace. The Database Engine Object has not been created."},
    {kResUnknownWorkspaceType, "Unable to create Workspace. Unknown Workspace Type."},
    {kResLinkedToUncreatedForms, "Can't open the %s because it is linked to Components on other Forms that haven't been Created jet."},
    {kResDatabaseFileMissing, "Unable to connect to the Database. Database File '%s' does not exist or is presently not avaiable to the System."},
    {kResNoWorkspaceForDatabase, "Unable to find a Workspace where the Database can be created in."},
    {kResDatabasePropertyWhileConnected, "The Property '%s' cannot be changed while the Database is Connected."},
    {kResNoSuchUserAccount, "No Such User Account."},
    {kResNewUserNameEmpty, "The Username cannot be empty."},
    {kResNewUserPasswordMismatch, "The Password and its Confirmation are not identical."},
    {kResSetPasswordCaption, "Set Password for User: %s"},
    {kResPasswordConfirmationMismatch, "The Password and it's Confirmation are not identical."},
    {kResNoValueStartingWith, "No Value found in Field '%s' starting with: '%s'."},
    {kResNoValueAtLeast, "No Value found in Field '%s' that is greater than or equal to: %s."},
    {kResNoFieldInRecordset, "No Field with Name '%s' in Recordset '%s'."},
    {kResInvalidCurrencyText, "Invalid Currency Value '%s' in Field '%s'."},
    {kResInvalidCurrencyValue, "Invalid Currency Value in Field '%s'."},
    {kResFieldOffsetsUnavailable, "Unable to compute Field Offsets. Fields Property of COM-Object is undefined."},
    {kResCaptionInformation, "Information"},
    {kResCaptionWarning, "Warning"},
    {kResCaptionError, "Error"},
    {kResCaptionConfirmation, "Confirmation"},
    {kResLoginUserNameEmpty, "The Username cannot be empty."},
    {kResFieldValueOutOfRange, "%g is not a valid value for field '%s'. The allowed range is %g to %g"},
    {kResNoMciDevice, "No MCI device open"},
    {kResUnknownMciError, "Unknown error code"},
};

constexpr bool IsStrictlyAscending() {
  for (std::size_t i = 1; i < std::size(kResTable); ++i) {
    if (kResTable[i - 1].id >= kResTable[i].id) return false;
  }
  return true;
}
static_assert(IsStrictlyAscending(), "message numbers must be unique and in ascending order");

const ResEntry* FindEntry(int id) {
  const ResEntry* end = std::end(kResTable);
  const ResEntry* it = std::lower_bound(std::begin(kResTable), end, id,
                                        [](const ResEntry& e, int key) { return e.id < key; });
  return (it != end && it->id == id) ? it : nullptr;
}

}  // namespace

const char* ResString(int id) {
  if (const ResEntry* entry = FindEntry(id)) return entry->text;
  throw Exception("No message with number " + std::to_string(id) + ".");
}

bool HasResString(int id) noexcept { return FindEntry(id) != nullptr; }

}  // namespace qb
