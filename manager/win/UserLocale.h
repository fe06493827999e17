// The user's locale pictures and names for the task lists' run times.
#pragma once

#include "manager/DatePicture.h"

namespace velmora {

LocalePictures UserLocalePictures();

}  // namespace velmora
