// jet/base/errors: the engine's error numbers and the one routine that raises them as EOleException
// with a message in this engine's words. Knows nothing of SQLite; never puts a password in a message.
#pragma once
#include <string_view>

namespace qb::jet {

// Every error number the engine raises, one name each; callers test EOleException::ErrorCode()
// against these names. They keep the Jet numbering so that code written against the Jet object
// model recognises them. Add new numbers here, in order, with a text in errors.cpp.
namespace err {
// Runtime errors of the expression functions, numbered as Jet reports them.
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInvalidPattern = 93;
inline constexpr int kInvalidUseOfNull = 94;
// The engine's own errors.
inline constexpr int kInternal = 3000;
inline constexpr int kInvalidArgument = 3001;
inline constexpr int kTransactionsTooDeep = 3003;
inline constexpr int kTableExists = 3010;
inline constexpr int kObjectExists = 3012;
inline constexpr int kBadIndexName = 3015;
inline constexpr int kNoCurrentIndex = 3019;
inline constexpr int kUpdateWithoutEdit = 3020;
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kDuplicateValues = 3022;
inline constexpr int kEditAlreadyPending = 3023;
inline constexpr int kFileNotFound = 3024;
inline constexpr int kDiskFull = 3026;
inline constexpr int kReadOnly = 3027;
inline constexpr int kWorkgroupMissing = 3028;
inline constexpr int kBadLogin = 3029;
inline constexpr int kBadAccountName = 3030;
inline constexpr int kBadPassword = 3031;
inline constexpr int kCannotPerform = 3032;
inline constexpr int kNoPermission = 3033;
inline constexpr int kNoTransaction = 3034;
inline constexpr int kResourceExceeded = 3035;
inline constexpr int kDiskIo = 3043;
inline constexpr int kBadPath = 3044;
inline constexpr int kFileInUse = 3045;
inline constexpr int kRecordTooLarge = 3047;
inline constexpr int kUnrecognisedFile = 3049;
inline constexpr int kCannotOpenFile = 3051;
inline constexpr int kBadFileName = 3055;
inline constexpr int kIndexNullKey = 3058;
inline constexpr int kCancelled = 3059;
inline constexpr int kWrongParameterType = 3060;
inline constexpr int kTooFewParameters = 3061;
inline constexpr int kDuplicateAlias = 3062;
inline constexpr int kDuplicateDestination = 3063;
inline constexpr int kSelectNotExecutable = 3065;
inline constexpr int kNoInputTable = 3067;
inline constexpr int kNameNotRecognised = 3070;
inline constexpr int kExpressionTooComplex = 3071;
inline constexpr int kNotUpdatable = 3073;
inline constexpr int kRepeatedTableName = 3074;
inline constexpr int kSyntaxInExpression = 3075;
inline constexpr int kSyntaxInFilter = 3077;
inline constexpr int kInputNotFound = 3078;
inline constexpr int kAmbiguousField = 3079;
inline constexpr int kUndefinedFunction = 3085;
inline constexpr int kCannotDeleteFrom = 3086;
inline constexpr int kTooManyAutoNumbers = 3090;
inline constexpr int kHavingInCrosstab = 3092;
inline constexpr int kAggregateNotAllowed = 3095;
inline constexpr int kAggregateInWhere = 3096;
inline constexpr int kAggregateInOrderBy = 3097;
inline constexpr int kAggregateInGroupBy = 3098;
inline constexpr int kAggregateInJoin = 3099;
inline constexpr int kJoinKeyNull = 3100;
inline constexpr int kNoMatchingRow = 3101;
inline constexpr int kCircularReference = 3102;
inline constexpr int kCrosstabHeadingTwice = 3104;
inline constexpr int kCannotUpdateField = 3113;
inline constexpr int kNotInAggregate = 3122;
inline constexpr int kStarInCrosstab = 3123;
inline constexpr int kInvalidName = 3125;
inline constexpr int kInvalidBracketing = 3126;
inline constexpr int kUnknownInsertField = 3127;
inline constexpr int kSpecifyDeleteTable = 3128;
inline constexpr int kInvalidStatement = 3129;
inline constexpr int kSyntaxInDelete = 3130;
inline constexpr int kSyntaxInFrom = 3131;
inline constexpr int kSyntaxInGroupBy = 3132;
inline constexpr int kSyntaxInHaving = 3133;
inline constexpr int kSyntaxInInsert = 3134;
inline constexpr int kSyntaxInJoin = 3135;
inline constexpr int kMissingSemicolon = 3137;
inline constexpr int kSyntaxInOrderBy = 3138;
inline constexpr int kSyntaxInParameters = 3139;
inline constexpr int kSyntaxInSelect = 3141;
inline constexpr int kAfterEnd = 3142;
inline constexpr int kSyntaxInTransform = 3143;
inline constexpr int kSyntaxInUpdate = 3144;
inline constexpr int kSyntaxInWhere = 3145;
inline constexpr int kBadBookmark = 3159;
inline constexpr int kNullToNonVariant = 3162;
inline constexpr int kFieldTooSmall = 3163;
inline constexpr int kFieldNotUpdatable = 3164;
inline constexpr int kRecordDeleted = 3167;
inline constexpr int kNoUniqueIndex = 3173;
inline constexpr int kFieldDefinedTwice = 3191;
inline constexpr int kDataChanged = 3197;
inline constexpr int kRelatedRecordsExist = 3200;
inline constexpr int kNoRelatedRecord = 3201;
inline constexpr int kFileExists = 3204;
inline constexpr int kTooManyCrosstabHeaders = 3205;
inline constexpr int kTableInUse = 3211;
inline constexpr int kLockedRetry = 3218;
inline constexpr int kInvalidOperation = 3219;
inline constexpr int kNotForThisObject = 3251;
inline constexpr int kInvalidFieldType = 3259;
inline constexpr int kRecordLocked = 3260;
inline constexpr int kTableLocked = 3262;
inline constexpr int kNoFields = 3264;
inline constexpr int kItemNotFound = 3265;
inline constexpr int kFieldAlreadyAppended = 3266;
inline constexpr int kSetAfterAppend = 3268;
inline constexpr int kIndexAlreadyAppended = 3269;
inline constexpr int kPropertyNotFound = 3270;
inline constexpr int kInvalidPropertyValue = 3271;
inline constexpr int kPropertyReadOnly = 3273;
inline constexpr int kTooManyIndexFields = 3277;
inline constexpr int kFieldInIndex = 3280;
inline constexpr int kUsedInRelationship = 3281;
inline constexpr int kPrimaryExists = 3283;
inline constexpr int kIndexExists = 3284;
inline constexpr int kInvalidIndex = 3285;
inline constexpr int kSyntaxInConstraint = 3289;
inline constexpr int kSyntaxInCreateTable = 3290;
inline constexpr int kSyntaxInCreateIndex = 3291;
inline constexpr int kSyntaxInFieldDef = 3292;
inline constexpr int kSyntaxInAlterTable = 3293;
inline constexpr int kSyntaxInDrop = 3295;
inline constexpr int kFieldRuleInUse = 3303;
inline constexpr int kBadPid = 3304;
inline constexpr int kSubqueryColumns = 3306;
inline constexpr int kUnionColumnCount = 3307;
inline constexpr int kInvalidTop = 3308;
inline constexpr int kRequiredNull = 3314;
inline constexpr int kZeroLength = 3315;
inline constexpr int kTableRule = 3316;
inline constexpr int kFieldRule = 3317;
inline constexpr int kSyntaxInUnion = 3319;
inline constexpr int kQueryNotUpdatable = 3326;
inline constexpr int kFieldIsExpression = 3327;
inline constexpr int kForeignFormat = 3343;
inline constexpr int kValueCountDiffers = 3346;
inline constexpr int kNumericOverflow = 3349;
inline constexpr int kQueryTooComplex = 3360;
inline constexpr int kUnionInSubquery = 3361;
inline constexpr int kDuplicateName = 3367;
inline constexpr int kConstraintNotFound = 3371;
inline constexpr int kIndexNotFound = 3372;
inline constexpr int kTableNotFound = 3376;
inline constexpr int kObjectClosed = 3420;
inline constexpr int kConversion = 3421;
inline constexpr int kCriteriaMismatch = 3464;
}  // namespace err

// Raises EOleException with NUMBER and DETAIL as its description: DETAIL is the whole message,
// a complete sentence in our own words (it may name files and accounts, never a password).
// An empty DETAIL gives the engine's standard text for NUMBER.
[[noreturn]] void RaiseJetError(int number, std::string_view detail = {});

// The engine's standard text for NUMBER ("Item not found in this collection."), or a generic
// text naming the number when the engine has none.
std::string_view StandardErrorText(int number);

}  // namespace qb::jet
