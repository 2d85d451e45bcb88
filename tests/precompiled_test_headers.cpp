// Holds the precompiled headers that every test program reuses; its own
// program is GoogleTest's main with no tests.
