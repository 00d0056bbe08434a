#pragma once

namespace tarnvel {

class Database;

// A realistic scheme for measurements: points loading points cycling through
// cylindrical meshes, bevel meshes and free forces along a 400 mm span (with
// overhung ones), modes load modes, both supports with a catalogue bearing.
void buildBenchScheme(Database &db, int points, int modes);

} // namespace tarnvel
