// Runs inside the office: reads and writes the heights of many rows of a
// sheet in one call. Over the bridge every call to the office is a round
// trip; a workbook's row work done row by row from outside would make tens
// of thousands of them. The conversion loads this library into its own
// private office through the shared-library loader and talks to it as a
// job:
//
//   execute(Sheet, FirstRow, Count)    -> the heights of rows FirstRow ...
//                                         FirstRow + Count - 1 (0-based),
//                                         in 1/100 mm
//   execute(Sheet, FirstRow, Heights)  -> writes them from FirstRow on (see
//                                         row_heights_access.h)
//
// Nothing else is exported than the component entry point.
#include <cppuhelper/factory.hxx>
#include <cppuhelper/implbase1.hxx>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XSingleComponentFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/task/XJob.hpp>

#include "office_helper/row_heights_access.h"

using namespace css;
using namespace tessaro::row_heights;

namespace {

class RowHeightsJob : public cppu::WeakImplHelper1<task::XJob> {
 public:
  uno::Any SAL_CALL execute(const uno::Sequence<beans::NamedValue> &arguments) override {
    uno::Reference<sheet::XSpreadsheet> sheet;
    sal_Int32 first = -1;
    sal_Int32 count = -1;
    uno::Sequence<sal_Int32> heights;
    bool writing = false;
    for (const beans::NamedValue &argument : arguments) {
      if (argument.Name == "Sheet") argument.Value >>= sheet;
      else if (argument.Name == "FirstRow") argument.Value >>= first;
      else if (argument.Name == "Count") argument.Value >>= count;
      else if (argument.Name == "Heights") writing = (argument.Value >>= heights);
    }
    if (!sheet.is() || first < 0 || (!writing && count < 0))
      throw lang::IllegalArgumentException("row heights: sheet, first row and count or heights",
                                           uno::Reference<uno::XInterface>(), 0);
    if (writing) {
      write_heights(sheet, first, heights);
      return uno::Any();
    }
    return uno::Any(read_heights(sheet, first, count));
  }
};

uno::Reference<uno::XInterface> SAL_CALL create_job(const uno::Reference<uno::XComponentContext> &) {
  return static_cast<cppu::OWeakObject *>(new RowHeightsJob);
}

}  // namespace

extern "C" SAL_DLLPUBLIC_EXPORT void *component_getFactory(const char *implementation_name, void *,
                                                           void *) {
  if (rtl_str_compare(implementation_name, kJobImplementationName) != 0) return nullptr;
  const rtl::OUString name = rtl::OUString::createFromAscii(kJobImplementationName);
  const uno::Reference<lang::XSingleComponentFactory> factory =
      cppu::createSingleComponentFactory(create_job, name, uno::Sequence<rtl::OUString>(&name, 1));
  factory->acquire();
  return factory.get();
}
