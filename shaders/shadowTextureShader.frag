#version 330 core
// The rasterizer's own depth is what the lit programs compare against; writing none
// here keeps early depth testing on.
void main()
{
}
