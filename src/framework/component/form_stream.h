// framework/component/form_stream: writes a form (a root and the components it owns) as
// readable text and reads such text back, creating components through the class registry.
// It sets properties only through the property tables; it never touches Qt's property system.
//
// The text:
//   object Form1: TForm1              a root or owned component: "object [Name:] Class"
//     Active = True                   Bool: True / False
//     Timeout = 20                    Integer, Int16 (also $1F); Double: 1.5, -2E10, INF, NEGINF, NAN
//     Kind = wtUseJet                 Enum: an element name
//     Options = [roDenyWrite, roReadOnly]   Set: element names
//     SystemDB = 'it''s'#10'here'     String: quoted runs and #n code points, joined by '+'
//     Fields.Strings = (              StringList: strings in parentheses
//       'a'
//       'b')
//     DAOWorkspace = DAOWorkspace1    Reference: a component of this form, "Other.Name" for
//     MasterLink = OtherForm.Recordset1    one on another form, or nil
//     object DAOEngine1: TDAOEngine   owned components nest inside their owner
//     end
//   end
//
// Reading, step by step (the loading rules components rely on):
//   1. Each component is created by its class's factory, owned by the enclosing object, gets
//      csLoading | csReading, then its Name; the root (when a component) gets them too. Its
//      properties are set through their setters in file order, except references.
//   2. csReading is cleared on all of them.
//   3. References are set: first those to components of this form, then those to forms that
//      exist already. A reference to a form not registered yet (or lacking that component)
//      stays pending (csFixups, HasUnresolvedReferences) until that form is registered or
//      finishes loading.
//   4. For each component, root first, then in creation order: csLoading is cleared, then
//      Loaded() is called. Every component gets its Loaded even when an earlier one raises;
//      the first exception is raised after all of them.
//   5. Pending references of other forms that wait for this one are resolved.
// A failure in steps 1 to 3 destroys every component created by the read and clears the
// root's reading states (and its Name when the read gave it one); the root's own properties
// already set and its earlier components stay. Errors of the text raise EReadError naming the
// line; what a component's constructor or setter raises passes through unchanged.
#pragma once
#include <QObject>
#include <string>
#include <string_view>

#include "framework/component/component.h"

namespace qb {

// The form text of ROOT (a component, or any QObject such as a window, whose name and Qt class
// name are written and whose components follow) and of every component it owns, directly or
// not, except subcomponents. Writes a property when it is stored, has a setter or read hook,
// and differs from its default (or has none). csWriting is set on every component while
// writing. Raises EWriteError for a reference to a component that has no name; what a getter
// raises passes through. REQUIRES: ROOT not null.
std::string WriteComponentText(QObject* root);

// Reads TEXT into the existing ROOT: sets the root's properties, creates the components in
// TEXT owned as nested, then the loading steps above. The header's class must be the root's
// class (for a component root); the header's name is given to a root that has none. Raises
// EReadError for malformed text (unknown class or property, bad value, missing 'end', text
// after the last 'end', bad token) and for a Name that is invalid or taken. REQUIRES: ROOT not
// null.
void ReadComponentText(std::string_view text, QObject* root);

// Creates the root component from the class in TEXT's header, owned by OWNER (may be null: the
// caller then owns the result), and reads TEXT into it as ReadComponentText does. Any failure,
// a Loaded() that raises included, destroys the new root too (as a form whose creation failed)
// and passes the exception on.
TComponent* ReadNewComponentText(std::string_view text, QObject* owner);

}  // namespace qb
