// core/resource_strings: the one table of numbered user-facing messages (65152 to 65300) and
// lookup by number. Texts are kept exactly as they have always read, misspellings included,
// because callers format them and tests compare them; never reword or translate one here.
#pragma once

namespace qb {

// Message numbers. Each names what its message says; the text is in resource_strings.cpp.
// Texts with %s, %d, %g or %p are format patterns for qb::Format.
inline constexpr int kResStoredProcNeedsDatabase = 65152;
inline constexpr int kResStoredProcDatabaseNotOpen = 65153;
inline constexpr int kResStoredProcDefsUnreadable = 65154;
inline constexpr int kResStoredProcParamWithoutValue = 65155;
inline constexpr int kResNoIndexForFields = 65156;
inline constexpr int kResDetailDelayWithoutMaster = 65157;
inline constexpr int kResStoredProcNameEmpty = 65168;
inline constexpr int kResUnknownRecordSetType = 65169;
inline constexpr int kResUnknownLockStrategy = 65170;
inline constexpr int kResFieldDefsUnavailable = 65171;
inline constexpr int kResCachedRecordCountNotAllowed = 65172;
inline constexpr int kResLockEditedPagesNotAllowed = 65173;
inline constexpr int kResIndexNotAllowed = 65174;
inline constexpr int kResOdbcUpdateCommandOption = 65175;
inline constexpr int kResOdbcUpdateCriteriaOption = 65176;
inline constexpr int kResOdbcUpdateOptionsNotAllowed = 65177;
inline constexpr int kResNoMatchNotAllowed = 65178;
inline constexpr int kResPercentPositionNotAllowed = 65179;
inline constexpr int kResAbsolutePositionNotAllowed = 65180;
inline constexpr int kResLocateNotSupported = 65181;
inline constexpr int kResRequeryNotAllowed = 65182;
inline constexpr int kResOperationJetOnly = 65183;
inline constexpr int kResDatabaseWrongWorkspaceType = 65184;
inline constexpr int kResNoMasterId = 65185;
inline constexpr int kResTableNameFixedStoredProc = 65186;
inline constexpr int kResTableNameFixedTable = 65187;
inline constexpr int kResRecordsetWrongWorkspaceType = 65188;
inline constexpr int kResRecordsetPropertyWhileActive = 65189;
inline constexpr int kResCircularDataLink = 65190;
inline constexpr int kResUnboundFieldNotFound = 65191;
inline constexpr int kResMasterRecordsetClosed = 65192;
inline constexpr int kResMasterSourceWithoutDataSet = 65193;
inline constexpr int kResParamUnknownDataType = 65194;
inline constexpr int kResRecordsetNotOpen = 65195;
inline constexpr int kResRecordsetNeedsDatabase = 65196;
inline constexpr int kResRecordsetDatabaseNotOpen = 65197;
inline constexpr int kResTableNameEmpty = 65198;
inline constexpr int kResSqlStatementEmpty = 65199;
inline constexpr int kResOleError = 65200;
inline constexpr int kResDetailedError = 65201;
inline constexpr int kResUnknownComponent = 65202;
inline constexpr int kResSuppressFurtherMessages = 65203;
inline constexpr int kResStreamInWriteMode = 65204;
inline constexpr int kResStreamInReadMode = 65205;
inline constexpr int kResSecondEngine = 65206;
inline constexpr int kResEnginePropertyWhileActive = 65207;
inline constexpr int kResWorkspaceWrongType = 65208;
inline constexpr int kResWorkspacePropertyWhileActive = 65209;
inline constexpr int kResNoEngineObject = 65210;
inline constexpr int kResUnknownWorkspaceType = 65211;
inline constexpr int kResLinkedToUncreatedForms = 65212;
inline constexpr int kResDatabaseFileMissing = 65213;
inline constexpr int kResNoWorkspaceForDatabase = 65214;
inline constexpr int kResDatabasePropertyWhileConnected = 65215;
inline constexpr int kResNoSuchUserAccount = 65216;
inline constexpr int kResNewUserNameEmpty = 65218;
inline constexpr int kResNewUserPasswordMismatch = 65219;
inline constexpr int kResSetPasswordCaption = 65220;
inline constexpr int kResPasswordConfirmationMismatch = 65221;
inline constexpr int kResNoValueStartingWith = 65226;
inline constexpr int kResNoValueAtLeast = 65227;
inline constexpr int kResNoFieldInRecordset = 65228;
inline constexpr int kResInvalidCurrencyText = 65229;
inline constexpr int kResInvalidCurrencyValue = 65230;
inline constexpr int kResFieldOffsetsUnavailable = 65231;
inline constexpr int kResCaptionInformation = 65242;
inline constexpr int kResCaptionWarning = 65243;
inline constexpr int kResCaptionError = 65244;
inline constexpr int kResCaptionConfirmation = 65245;
inline constexpr int kResLoginUserNameEmpty = 65247;
inline constexpr int kResFieldValueOutOfRange = 65295;
inline constexpr int kResNoMciDevice = 65299;
inline constexpr int kResUnknownMciError = 65300;

// The text of message ID: a pointer to static storage that lives as long as the program.
// Throws qb::Exception when ID names no message (see HasResString).
const char* ResString(int id);

// True when ID names a message of the table.
bool HasResString(int id) noexcept;

}  // namespace qb
