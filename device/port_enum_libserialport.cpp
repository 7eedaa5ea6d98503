// Serial port listing through libserialport.
#include <libserialport.h>

#include "device/port_list.h"

namespace {

String Utf8(const char* text) { return String::FromBytes(text ? text : "", cp::kUtf8); }

}  // namespace

void EnumerateSerialPorts(ObjectList<SSerInfo>& ports) {
  struct sp_port** list = nullptr;
  if (sp_list_ports(&list) != SP_OK) return;
  for (int i = 0; list[i]; ++i) {
    SSerInfo* port = ports.Add();
    port->path = Utf8(sp_get_port_name(list[i]));
    port->description = Utf8(sp_get_port_description(list[i]));
    port->friendlyName = MakeFriendlyName(port->description, port->path);
    port->isUsb = sp_get_port_transport(list[i]) == SP_TRANSPORT_USB;
  }
  sp_free_port_list(list);
}
