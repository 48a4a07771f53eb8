// The full-screen quad's vertex stage; the filters share these locations with the quad's
// vertex array.
layout(location = 0) in vec4 in_position;
layout(location = 2) in vec2 in_texCoord;

out vec2 texCoord;

void main()
{
    texCoord = in_texCoord;
    gl_Position = in_position;
}
