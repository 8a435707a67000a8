// framework/data/data_types: the small value types shared by datasets, fields and data links:
// dataset states, data events, fetch modes and results, bookmark flags and field types.
// Declarations only; nothing here knows a concrete dataset.
#pragma once
#include <cstdint>
#include <vector>

namespace qb {

// The states of a dataset. Browse, edit, insert and set-key are entered by the dataset's own
// operations; the others are temporary states entered by SetTempState while the dataset
// computes or supplies a value, and left by RestoreState.
enum TDataSetState {
  dsInactive,      // closed: no cursor, no buffers
  dsBrowse,        // open, reading
  dsEdit,          // the active record is being changed
  dsInsert,        // a new record is being composed in the active buffer
  dsSetKey,        // search key values are being entered
  dsCalcFields,    // OnCalcFields runs on the calculation buffer
  dsFilter,        // a record is being tested by a filter
  dsNewValue,      // a field's new value is being supplied
  dsOldValue,      // a field's old value is being read
  dsCurValue,      // a field's current stored value is being read
  dsBlockRead,     // records are being read in a block, without notifications
  dsInternalCalc,  // internally calculated fields are being computed
};

// What a data link is told (TDataLink::DataEvent). Info is the field for deFieldChange, the
// distance the buffers moved for deDataSetScroll, and 0 otherwise.
enum TDataEvent {
  deFieldChange,       // one field of the active record changed
  deRecordChange,      // the active record's values changed as a whole
  deDataSetChange,     // the buffers were refilled
  deDataSetScroll,     // the active record moved within (or the ring turned)
  deLayoutChange,      // fields were added, removed or reordered
  deUpdateRecord,      // controls must write their pending values into the fields
  deUpdateState,       // the dataset's state changed
  deCheckBrowseMode,   // the dataset is about to leave edit or insert state
  dePropertyChange,    // a field's display property changed
  deFocusControl,      // a control of the field is asked to take the focus
};

// Which record FetchRecord puts into a buffer, relative to the cursor.
enum TFetchMode { fmCurrent, fmNext, fmPrior };
// FetchRecord's answer. frError is returned only when the caller did not ask to be told by an
// exception.
enum TFetchResult { frOk, frBOF, frEOF, frError };

// Flag stored with each buffer: a fetched record (current), a record being appended (EOF) or
// inserted into an empty dataset (BOF), or an inserted record (inserted).
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// Resync modes: exact (the cursor record must exist) and center (put it mid-window).
enum TResyncModeFlag : unsigned { rmExact = 1u << 0, rmCenter = 1u << 1 };
using TResyncMode = unsigned;

// Options of Locate: compare texts ignoring case; a text key matches the values it begins.
enum TLocateOption : unsigned { loCaseInsensitive = 1u << 0, loPartialKey = 1u << 1 };
using TLocateOptions = unsigned;

// What an error handler (OnPostError, OnEditError, OnDeleteError) decides.
enum TDataAction { daFail, daAbort, daRetry };

// Field types. Values that the framework has no field class for are still listed, so that
// descendants can name them in their definitions.
enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint, ftADT, ftArray, ftReference, ftDataSet,
};

// How a field's value comes about.
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

// A record buffer: a block the dataset's descendant allocates and lays out.
using TRecordBuffer = std::uint8_t*;
// A framework bookmark: the descendant's bookmark bytes (BookmarkSize of them); empty: none.
using TBookmark = std::vector<std::uint8_t>;

}  // namespace qb
