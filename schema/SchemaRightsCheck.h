#pragma once

class DirectoryPage;

// Administrator equivalence: the logged-in object holds the supervisor entry right on
// "[Root]". A failing call is reported through the page and yields no rights.
bool HasSchemaRights(DirectoryPage& page);
