// engine/dao_registration: makes the data-access component classes known to form streaming.
// Registers only; creates no component.
#pragma once

namespace qb {

// Registers TDAOEngine, TDAOWorkspace and TDAODataBase with the class registry, so that form
// text can create them. Idempotent; call before reading a form that holds them.
void RegisterDAOComponentClasses();

}  // namespace qb
