# The links of a small project, as kt4_layers.cmake gathers them, that go
# against its declaration, for the test of the order check (CMakeLists.txt
# here): base below low below high, high_gui the gui library of high, side
# a module over base beside them, and ring_a and ring_b, each declared
# below the other.
set(LIBS base low high high_gui side ring_a ring_b)
# a library without windows that links Qt
set(base_BELOW "")
set(base_FOREIGN Qt6::Widgets)
# a part that links the part above it, and so reaches itself
set(low_BELOW base)
set(low_LINKS base high)
set(high_BELOW low base)
set(high_LINKS low base)
# a gui library: its module and what lies outside the project are allowed,
# a link the check cannot read is not
set(high_gui_BELOW high)
set(high_gui_OUTSIDE ON)
set(high_gui_LINKS high "$<1:side>")
set(high_gui_FOREIGN Qt6::Widgets -lm)
# a module that links one its declaration does not name
set(side_BELOW base)
set(side_LINKS base low)
set(ring_a_BELOW ring_b)
set(ring_a_LINKS ring_b)
set(ring_b_BELOW ring_a)
set(ring_b_LINKS ring_a)
