// tessmar: the command-line face of the engine.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/keys.h"
#include "version.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Tessmar: one-dimensional numerical experiments on condensed targets heated by an "
      "ultrashort laser pulse (Lagrangian hydrodynamics, one- and two-temperature heat "
      "conduction, equations of state, profiles and time histories).",
      "tessmar"};
  app.set_version_flag("--version", std::string("Tessmar ") + TESSMAR_VERSION);
  app.require_subcommand(0, 1);
  auto* keys = app.add_subcommand("keys", "List every run-file table and key with its default");
  app.footer(
      "All physics runs in 80-bit extended precision. Internal units: cm, s, g/cm3, K, kJ/g, "
      "GPa.");
  CLI11_PARSE(app, argc, argv);
  if (keys->parsed()) tessmar::cli::PrintKeys(std::cout);
  return 0;
}
