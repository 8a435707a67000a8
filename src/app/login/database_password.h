// app/login/database_password: connecting a database component whose file may be protected by a
// database password, asking the user for it when the file refuses. Every window that opens a
// database by name connects through here. The password typed is handed to the component only
// (its JetConnectParams, in memory); it is never written to the settings or to any other file.
#pragma once

namespace qb {

class TDAODataBase;

// Connects DATABASE (as SetConnected(true)). When the engine refuses the file for its password,
// asks "Database Password" (masked entry, through the GUI services), sets the answer as
// DATABASE's JetDBPassword and connects again; a wrong answer asks again, the question then
// saying that the last password was not valid. Cancel restores JetDBPassword as it was and
// raises the first refusal again, so the caller is left as the refusal left it. Every other
// error of the connect propagates unchanged. Nothing is asked when DATABASE is connected.
void ConnectDatabase(TDAODataBase& database);

}  // namespace qb
