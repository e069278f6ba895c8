# The letter prompts, the live drawing and the history rule of the
# expression tools are the fractions tool's (tools/fracciones/exprtool.h).
set(area_links sumbrix_tool_fracciones)
