// tessmar: the command-line face of the engine.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/keys.h"
#include "cli/picture_command.h"
#include "cli/run_command.h"
#include "cli/run_file.h"
#include "version.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Tessmar: one-dimensional numerical experiments on condensed targets heated by an "
      "ultrashort laser pulse (Lagrangian hydrodynamics, one- and two-temperature heat "
      "conduction, equations of state, profiles and time histories).",
      "tessmar"};
  app.set_version_flag("--version", std::string("Tessmar ") + TESSMAR_VERSION);
  app.require_subcommand(0, 1);

  tessmar::cli::RunOptions run;
  auto* runCmd = app.add_subcommand(
      "run", "Run a calculation from a run file (TOML, one table per dialog); see `tessmar keys`");
  runCmd->add_option("file", run.file, "the run file")->required();
  runCmd->add_option("-o,--output", run.outDir, "save directory of the run (created at the start)")
      ->capture_default_str();
  runCmd
      ->add_option("--set", run.sets,
                   "table.key=value: set a key as if written at the end of its table "
                   "(table.N.key for the N-th [[table]]); may be repeated")
      ->allow_extra_args(false);
  runCmd->add_flag("--quiet", run.quiet,
                   "no progress line and no summary (questions are still logged)");
  runCmd->add_flag("--trace", run.trace, "trace the iterations into DIR/Trace.txt");
  runCmd->add_option("--from", run.from,
                     "continue from a saved profile (.DAT): the run file's [eos], [eos_left], "
                     "[thermal] and the fields of [init] are applied, the profile replaces the "
                     "built state");

  tessmar::cli::PictureOptions pic;
  auto* picCmd = app.add_subcommand(
      "picture",
      "Draw the graphs of a saved profile (.DAT) into a picture (.jpg, .bmp, .png, .eps)");
  picCmd->add_option("profile", pic.profile, "the profile (.DAT, with its side file)")->required();
  picCmd->add_option("-o,--output", pic.output,
                     "picture file; the type follows the extension (default: the profile's name "
                     "with .jpg; .eps writes one file per graph)");
  picCmd
      ->add_option("--screen-width", pic.screenWidth,
                   "screen width in pixels that the PostScript scale refers to")
      ->capture_default_str();
  picCmd->add_flag("--verbose", pic.verbose, "log the reader's questions and the files written");

  auto* keys = app.add_subcommand("keys", "List every run-file table and key with its default");
  app.footer(
      "Run files: `tessmar keys` lists every table and key; docs/batch.md describes the run "
      "file, the [answers] table and the default answers. Exit status: 0 done, 2 bad input "
      "(nothing written), 1 the run failed. All physics runs in 80-bit extended precision. "
      "Internal units: cm, s, g/cm3, K, kJ/g, GPa.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : tessmar::cli::kExitBadInput;
  }
  if (keys->parsed()) tessmar::cli::PrintKeys(std::cout);
  if (picCmd->parsed()) return tessmar::cli::PictureCommand(pic, std::cerr);
  if (runCmd->parsed()) {
    run.terminal = isatty(STDERR_FILENO) != 0;
    return tessmar::cli::RunCommand(run, std::cerr);
  }
  return 0;
}
