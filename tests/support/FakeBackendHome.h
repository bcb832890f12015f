#pragma once

#include "fakes/FakeBackend.h"
#include "support/TestEnvironment.h"

// A private home on the Linux platform whose settings point the client at an in-memory fake backend:
// what every test of the application state and its views starts from.
struct FakeBackendHome
{
    FakeBackendHome();
    ~FakeBackendHome();

    TemporaryHome home; // first made, last gone
    FakeBackend backend;
};
