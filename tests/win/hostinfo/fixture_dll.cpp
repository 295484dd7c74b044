// A DLL that only carries a version resource (or none) for the hostinfo tests.
