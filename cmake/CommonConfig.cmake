add_library(ir_common INTERFACE)
target_compile_features(ir_common INTERFACE cxx_std_20)
target_compile_options(ir_common INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_compile_definitions(ir_common INTERFACE
    QT_USE_QSTRINGBUILDER
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_BEFORE=0x060000)
