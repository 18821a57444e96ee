// What a PGP job does; also what an armour block asks for.
#pragma once
#include <cstdint>

enum PgpFunction : int32_t {
  Decode = 0,
  CheckSignature = 1,
  Encrypt = 2,
  AddKey = 3,
  NothingToDo = 4,
};
