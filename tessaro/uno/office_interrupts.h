// The offices this process is running, so that an interrupt can end them
// before their folders are removed.
#ifndef TESSARO_UNO_OFFICE_INTERRUPTS_H
#define TESSARO_UNO_OFFICE_INTERRUPTS_H

namespace tessaro::uno_backend {

class OfficeProcess;

void register_office(OfficeProcess *office);
void unregister_office(OfficeProcess *office);

}  // namespace tessaro::uno_backend

#endif
