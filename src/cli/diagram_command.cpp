// cli/diagram_command: "quill diagram FILE --out PATH.svg|PATH.png [TABLE ...]": the database's
// relationships diagram drawn offscreen, with the positions stored in the file when it has any.
#include <QApplication>
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/db_options.h"
#include "diagram/diagram_model.h"
#include "diagram/diagram_positions.h"
#include "diagram/diagram_render.h"
#include "diagram/diagram_scene.h"
#include "jet/dao/database.h"

namespace qb::cli {
namespace {

constexpr const char* kDiagramHelp =
    "Usage: quill [global options] diagram FILE --out PATH [TABLE ...]\n"
    "\n"
    "Draws the database's relationships diagram: every table as a box with its fields (key\n"
    "fields in bold), every relationship as a line between the related fields marked 1 and\n"
    "infinity (or 1 and 1). Boxes stand where the utility's Relationships window left them;\n"
    "tables never placed there are laid out automatically. PATH ends in .svg or .png.\n"
    "With TABLE names, only those tables and the relationships among them are drawn.\n"
    "The global option --db-password-env VAR gives the database password.\n";

bool IsPicturePath(const std::string& path) {
  auto ends = [&](const std::string& tail) {
    if (path.size() <= tail.size()) return false;
    std::string end = path.substr(path.size() - tail.size());
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == tail;
  };
  return ends(".svg") || ends(".png");
}

}  // namespace

int RunDiagramCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  std::size_t positional = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--out") {
      ++i;  // its value
    } else if (words[i].compare(0, 2, "--") != 0) {
      ++positional;
    }
  }
  CommandArgs args = ParseCommandArgs("diagram", words, std::max<std::size_t>(positional, 1), {"--out"});
  if (args.help) {
    std::cout << kDiagramHelp;
    return 0;
  }
  const std::string out = args.Option("--out");
  if (out.empty()) throw UsageError("diagram needs --out PATH.svg or --out PATH.png");
  if (!IsPicturePath(out)) throw UsageError("the --out path must end in .svg or .png: '" + out + "'");
  const std::vector<std::string> tables(args.positional.begin() + 1, args.positional.end());

  auto engine = MakeEngine();
  auto database = OpenForReading(*engine, options, args.positional[0]);
  const diagram::DiagramModel model = diagram::ReadDiagramModel(*database, tables);
  const diagram::Positions positions = diagram::LoadPositions(*database);
  database->Close();

  std::unique_ptr<QApplication> application = diagram::MakeOffscreenApplication();
  diagram::DiagramScene scene;
  scene.Build(model, positions);
  diagram::SavePicture(scene, out);
  return 0;
}

}  // namespace qb::cli
